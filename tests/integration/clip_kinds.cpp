#include "integration/clip_kinds.h"

#include "harness/wav_file.h"

namespace {

const double kClipSeconds = 1.0;

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

std::vector<std::wstring> ClipsOfEachKind()
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUAVEL_ENCODED_CLIPS", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return std::vector<std::wstring>();
    WriteToneWav("tone.wav", kClipSeconds);
    char wav[MAX_PATH];
    GetFullPathNameA("tone.wav", sizeof wav, wav, NULL);
    std::wstring encoded = Widen(folder) + L"\\";
    return {Widen(wav), encoded + L"tone.mp3", encoded + L"tone.ogg"};
}

std::string ClipName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    return std::string(name.begin(), name.end());
}

void ClipKindsTest::SetUp()
{
    CoInitialize(NULL);
    clips = ClipsOfEachKind();
    if (clips.empty())
        GTEST_SKIP() << "QUAVEL_ENCODED_CLIPS not set: run through CTest";
}

void ClipKindsTest::TearDown()
{
    CoUninitialize();
}
