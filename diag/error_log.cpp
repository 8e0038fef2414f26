#include "diag/error_log.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char kLogFileName[] = "quavellog.txt";
const DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
const DWORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// What a line says where there is no text to give.
const char kNoText[] = "???";

// Kept across calls on purpose: a later failure with code 0 repeats the
// most recent description instead of inventing one, and a first one shows
// "???". Log readers written against these lines expect both.
char description[512] = "???";

// System texts end in CR LF. Bytes are read as signed, so trailing bytes of
// 0x80 and above go too (kept: logs have always been trimmed so); the first
// character always stays.
void TrimDescription()
{
    int i = static_cast<int>(strlen(description)) - 1;
    while (i > 0 && static_cast<signed char>(description[i]) < 0x20) {
        description[i] = '\0';
        --i;
    }
}

}  // namespace

// The code is the caller's: the calls that open the log and read the
// current directory leave last-errors of their own (fopen's "a" leaves
// ERROR_ALREADY_EXISTS once the log exists), which told readers nothing
// about the failure the line is for. A code the system has no text for
// shows "???", never the text of an earlier failure.
void LogErrorCode(const char* tag, DWORD code, const char* detail)
{
    if (code != 0 &&
        FormatMessageA(kMessageFlags, NULL, code, kNeutralLanguage, description,
                       sizeof description, NULL) == 0)
        memcpy(description, kNoText, sizeof kNoText);
    TrimDescription();

    FILE* log = fopen(kLogFileName, "a");
    if (!log)
        return;
    unsigned long shownCode = code;
    if (detail)
        fprintf(log, "%s (0x%08lx %s): %s\n", tag, shownCode, description, detail);
    else
        fprintf(log, "%s (0x%08lx %s)\n", tag, shownCode, description);
    fclose(log);
}

// Read first: anything called later may overwrite it.
void LogError(const char* tag, const char* detail)
{
    LogErrorCode(tag, GetLastError(), detail);
}
