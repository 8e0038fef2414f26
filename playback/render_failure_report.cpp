#include "playback/render_failure_report.h"

#include <cstdio>
#include <cstring>

#include "diag/error_log.h"
#include "playback/widen_path.h"

namespace {

const int kScratchSize = 16;
const int kDumpGroupChars = 5;  // " %04x"

// Holds first the current directory, then the dump. Sized for the dump of
// the longest path the channel accepts, so the dump always comes out whole.
char directoryAndDump[kScratchSize + kPathCapacity * kDumpGroupChars];

// When the directory cannot be read the line repeats the buffer's earlier
// content; the read's result is deliberately not examined.
void LogCurrentDirectory(DWORD code)
{
    GetCurrentDirectoryA(sizeof directoryAndDump, directoryAndDump);
    LogErrorCode("CurDir:", code, directoryAndDump);
}

void LogWidePathDump(const WCHAR* wide, int units, DWORD code)
{
    char scratch[kScratchSize];
    memset(directoryAndDump, 0, sizeof directoryAndDump);
    size_t used = static_cast<size_t>(snprintf(directoryAndDump, sizeof directoryAndDump, "%d:", units));
    for (int i = 0; i < units; ++i) {
        int length = snprintf(scratch, sizeof scratch, " %04x", static_cast<unsigned>(wide[i]));
        if (used + static_cast<size_t>(length) >= sizeof directoryAndDump)
            break;
        memcpy(directoryAndDump + used, scratch, static_cast<size_t>(length) + 1);
        used += static_cast<size_t>(length);
    }
    LogErrorCode("MCBS ", code, directoryAndDump);
}

}  // namespace

void ReportRenderFailure(const char* convertedPath, const WCHAR* wide, int units, DWORD code)
{
    LogErrorCode("OpenFile", code, convertedPath);
    LogCurrentDirectory(code);
    LogWidePathDump(wide, units, code);
}

DWORD ReportOverlongPath(const char* path)
{
    LogErrorCode("OpenFile", ERROR_FILENAME_EXCED_RANGE, path);
    LogCurrentDirectory(ERROR_FILENAME_EXCED_RANGE);
    return ERROR_FILENAME_EXCED_RANGE;
}
