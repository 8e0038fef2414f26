#include <gtest/gtest.h>

#include <string>

#include "shell/command_line_tail.h"

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    EXPECT_STREQ(CommandLineTail("quavel.exe C:\\a.wav"), "C:\\a.wav");
    EXPECT_STREQ(CommandLineTail("quavel.exe \t \t C:\\a.wav"), "C:\\a.wav");
    EXPECT_STREQ(CommandLineTail("quavel.exe\tC:\\a.wav"), "C:\\a.wav");
}

TEST(CommandLineTail, QuotedProgramNameRunsToTheClosingQuote)
{
    EXPECT_STREQ(CommandLineTail("\"C:\\Program Files\\quavel.exe\" C:\\a.wav"), "C:\\a.wav");
    EXPECT_STREQ(CommandLineTail("\"C:\\Program Files\\quavel.exe\"C:\\a.wav"), "C:\\a.wav");
    EXPECT_STREQ(CommandLineTail("\"C:\\unclosed name C:\\a.wav"), "");
}

TEST(CommandLineTail, KeepsTheRestVerbatim)
{
    EXPECT_STREQ(CommandLineTail("quavel.exe \"C:\\my music\\a.wav\"  "),
                 "\"C:\\my music\\a.wav\"  ");
    EXPECT_STREQ(CommandLineTail("quavel.exe a\tb  c "), "a\tb  c ");
}

TEST(CommandLineTail, EmptyWhenOnlyTheProgramIsNamed)
{
    EXPECT_STREQ(CommandLineTail("quavel.exe"), "");
    EXPECT_STREQ(CommandLineTail("quavel.exe   \t"), "");
    EXPECT_STREQ(CommandLineTail("\"quavel.exe\""), "");
    EXPECT_STREQ(CommandLineTail(""), "");
}

// Bytes above 0x7F are characters, not blanks, on both sides of the name.
TEST(CommandLineTail, EightBitBytesAreNotBlanks)
{
    EXPECT_STREQ(CommandLineTail("qu\xE9vel.exe \xE9t\xE9.wav"), "\xE9t\xE9.wav");
}
