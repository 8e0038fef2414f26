#pragma once

#include <windows.h>

// The fake graph renders a name without reading it, but the channel hands it
// only names of disk files. Makes empty files under every name the fake-graph
// tests open (folders included), in the current directory, and kLargeClip.
void PlaceFakeClipFiles();

// A clip just over the size of the files played from memory.
const char kLargeClip[] = "large.wav";

// A file of `bytes` zero bytes.
void MakeFakeClipFile(const char* path, DWORD bytes);
