#include "fakes/fake_clip_files.h"

#include <windows.h>

#include "playback/memory_file.h"

namespace {

const char* const kFolders[] = {"dir", "music"};
const char* const kClips[] = {"clip.wav", "next.wav", "second.wav", "short.wav", "a.wav",
                              "one.wav", "two.wav", "wrapped.wav", "dir\\a.wav", "music\\b.wav",
                              "music\\caf\xe9.wav", "upper.WAV", "clip.mp3", "adpcm.wav", "held.wav"};

}  // namespace

void PlaceFakeClipFiles()
{
    for (const char* folder : kFolders)
        CreateDirectoryA(folder, NULL);
    for (const char* clip : kClips)
        CloseHandle(CreateFileA(clip, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    MakeFakeClipFile(kLargeClip, kMemoryFileLimit + 1);
}

void MakeFakeClipFile(const char* path, DWORD bytes)
{
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    SetFilePointer(file, static_cast<LONG>(bytes), NULL, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}
