#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A clip of each kind the memory source is tried on, one second long: a WAV
// written into the current directory, and the MP3 and Ogg Vorbis files that
// make-encoded-clips made in the folder QUAVEL_ENCODED_CLIPS names. Empty
// when that variable is not set (the program was not run by CTest).
std::vector<std::wstring> ClipsOfEachKind();

// The last part of `path`, for messages.
std::string ClipName(const std::wstring& path);

// Tests that try every kind: the component runtime set up for them, and the
// clips, without which they skip.
class ClipKindsTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<std::wstring> clips;
};
