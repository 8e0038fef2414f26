#pragma once

#include <windows.h>

// The three log lines of a file the graph would not render: the path as
// converted, the current directory, and a hex dump of the widened path
// ("<units>:" then " %04x" per unit, terminator included).
void ReportRenderFailure(const char* convertedPath, const WCHAR* wide, int units);

// A path too long for the path buffer never reaches the graph: the
// "OpenFile" line (with the path as given and a filename-too-long error) and
// the "CurDir:" line.
void ReportOverlongPath(const char* path);
