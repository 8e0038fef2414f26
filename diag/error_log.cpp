#include "diag/error_log.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char kLogFileName[] = "quavellog.txt";
const DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
const DWORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// Kept across calls on purpose: a later failure with last-error 0 repeats
// the most recent description instead of inventing one, and a first one
// shows "???". Log readers written against these lines expect both.
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

void LogError(const char* tag, const char* detail)
{
    // Read first: anything called below may overwrite it.
    DWORD code = GetLastError();
    if (code != 0)
        FormatMessageA(kMessageFlags, NULL, code, kNeutralLanguage, description,
                       sizeof description, NULL);
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
