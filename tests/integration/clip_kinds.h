#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A clip of each kind the memory source is tried on, one second long: a WAV
// written into the current directory, and the MP3 and Ogg Vorbis files that
// make-encoded-clips made in the folder QUAVEL_ENCODED_CLIPS names. Empty
// when that variable is not set (the program was not run by CTest).
std::vector<std::wstring> ClipsOfEachKind();

// The last part of `path`, for messages.
std::string ClipName(const std::wstring& path);
