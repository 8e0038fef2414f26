#pragma once

#include <windows.h>

// The three log lines of a file that would not open, each with the
// failure's own `code` (the open's Win32 error for a path refused before
// the graph, the render's HRESULT for a file the graph refused): the path as
// converted, the current directory, and a hex dump of the widened path
// ("<units>:" then " %04x" per unit, terminator included).
void ReportRenderFailure(const char* convertedPath, const WCHAR* wide, int units, DWORD code);

// A path too long for the path buffer never reaches the graph: the
// "OpenFile" line (with the path as given) and the "CurDir:" line, both with
// the filename-too-long error, which is returned.
DWORD ReportOverlongPath(const char* path);
