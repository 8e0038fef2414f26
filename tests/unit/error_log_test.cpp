#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "diag/error_log.h"
#include "harness/log_file.h"

namespace {

// The description between the code and the closing parenthesis.
std::string DescriptionIn(const std::string& line)
{
    size_t start = line.find(' ', line.find("(0x")) + 1;
    return line.substr(start, line.find(')') - start);
}

}  // namespace

// Must run in a process where nothing has been logged yet (its own CTest entry).
TEST(ErrorLogFirstUse, NoDescriptionBeforeTheFirstError)
{
    TakeLog();
    SetLastError(0);
    LogError("Init:pGraph", NULL);
    EXPECT_EQ(TakeLog(), "Init:pGraph (0x00000000 \?\?\?)\r\n");
}

TEST(ErrorLog, LineCarriesCodeTrimmedSystemTextAndDetail)
{
    TakeLog();
    SetLastError(ERROR_FILE_NOT_FOUND);
    LogError("OpenFile", "C:\\a.wav");
    std::string line = TakeLog();

    EXPECT_EQ(line.rfind("OpenFile (0x00000002 ", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 13), "): C:\\a.wav\r\n") << line;
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "exactly one line end: " << line;
    std::string description = DescriptionIn(line);
    ASSERT_FALSE(description.empty());
    EXPECT_NE(description, "???");
    EXPECT_GE(static_cast<signed char>(description.back()), 0x20) << "trailing control bytes kept";
}

TEST(ErrorLog, ZeroCodeRepeatsTheLatestDescription)
{
    TakeLog();
    SetLastError(ERROR_ACCESS_DENIED);
    LogError("first", NULL);
    SetLastError(0);
    LogError("second", NULL);
    std::string log = TakeLog();
    std::string first = log.substr(0, log.find('\n') + 1);
    std::string second = log.substr(first.size());

    EXPECT_EQ(first.rfind("first (0x00000005 ", 0), 0u) << first;
    EXPECT_EQ(second, "second (0x00000000 " + DescriptionIn(first) + ")\r\n");
}

TEST(ErrorLog, EmptyDetailStillEndsWithColonAndBlank)
{
    TakeLog();
    SetLastError(ERROR_ACCESS_DENIED);
    LogError("MCBS ", "");
    std::string line = TakeLog();
    EXPECT_EQ(line.rfind("MCBS  (0x00000005 ", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 5), "): \r\n") << line;
}

TEST(ErrorLog, LinesAreAppendedAfterExistingContent)
{
    TakeLog();
    {
        std::ofstream existing("quavellog.txt", std::ios::binary);
        existing << "earlier run\r\n";
    }
    for (int i = 0; i < 3; ++i) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        LogError("OpenFile", "x");
    }
    std::string log = TakeLog();
    EXPECT_EQ(log.rfind("earlier run\r\nOpenFile (", 0), 0u) << log;
    size_t lines = 0;
    for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 4u) << log;
}

TEST(ErrorLog, UnwritableLogIsSkippedSilently)
{
    TakeLog();
    ASSERT_TRUE(CreateDirectoryA("quavellog.txt", NULL));
    SetLastError(ERROR_FILE_NOT_FOUND);
    LogError("OpenFile", "x");
    RemoveDirectoryA("quavellog.txt");
    EXPECT_EQ(TakeLog(), "");
}

// The line shows the code it is given, whatever the thread's last error; a
// code the system has no text for (one with the customer bit) reads "???",
// not the text of the failure logged before it.
TEST(ErrorLog, GivenCodeIsShownAndOneWithoutTextReadsQuestionMarks)
{
    TakeLog();
    SetLastError(ERROR_ACCESS_DENIED);
    LogError("first", NULL);
    SetLastError(ERROR_FILE_NOT_FOUND);
    LogErrorCode("second", 0x20001234, "x");
    std::string log = TakeLog();
    EXPECT_EQ(log.substr(log.find('\n') + 1), "second (0x20001234 \?\?\?): x\r\n") << log;
}
