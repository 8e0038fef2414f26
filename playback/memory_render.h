#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/memory_file.h"

// Adds a new memory source over `file` to `graph`, named by the file's path
// (cut to what a filter name holds) as Windows names the source of a
// rendered file, and gives its output pin, referenced, for a RenderRequest.
// A render redone in a fresh graph adds another source over the same file.
HRESULT AddMemorySource(IGraphBuilder* graph, MemoryFile* file, IPin** output);

// Reads `path` whole into memory (FitsInMemory says which files are for
// this path), closes it, adds a memory source over its bytes to `graph` and
// renders its output pin. Returns the read's failure, or the render's
// answer: on failure the graph is left without the source, as RenderFile
// leaves it.
HRESULT RenderFromMemory(IGraphBuilder* graph, const WCHAR* path);
