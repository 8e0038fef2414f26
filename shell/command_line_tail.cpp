#include "shell/command_line_tail.h"

namespace {

const unsigned char kQuote = '"';
const unsigned char kLastBlank = 0x20;

bool IsBlank(unsigned char byte)
{
    return byte != '\0' && byte <= kLastBlank;
}

}  // namespace

// Bytes are compared unsigned: 8-bit characters in a path are not blanks.
const char* CommandLineTail(const char* commandLine)
{
    const unsigned char* cursor = reinterpret_cast<const unsigned char*>(commandLine);
    if (*cursor == kQuote) {
        ++cursor;
        while (*cursor != '\0' && *cursor != kQuote)
            ++cursor;
        if (*cursor == kQuote)
            ++cursor;
    } else {
        while (*cursor > kLastBlank)
            ++cursor;
    }
    while (IsBlank(*cursor))
        ++cursor;
    return reinterpret_cast<const char*>(cursor);
}
