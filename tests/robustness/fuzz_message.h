#pragma once

#include <windows.h>

#include <cstdint>
#include <random>
#include <string>

// One message a host could throw at the agent's window.
struct FuzzMessage {
    UINT message = WM_COPYDATA;  // WM_COPYDATA, the ping, WM_USER + n or WM_SYSCOMMAND
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Copy-data payload: `bytes` is what the host owns; `byteCount` of them
    // are announced (never more than it owns); `nullData` sends no pointer.
    int code = 0;
    std::string bytes;
    DWORD byteCount = 0;
    bool nullData = false;
};

// Paths the generator mixes in; the test creates the files.
struct FuzzFiles {
    std::string playable;  // a short WAV the platform can decode
    std::string directory; // an existing directory
};

// Reproducible: the same replay number gives the same messages on every
// platform (std::mt19937 is fully specified; the distributions used here are
// written out by hand, since the standard's are not).
class FuzzGenerator {
public:
    FuzzGenerator(uint32_t replay, const FuzzFiles& files);

    // Never a message that would end the agent (HC_Quit in any of its
    // codes, or a close command): those are sent by the test at the end.
    FuzzMessage Next();

private:
    uint32_t Below(uint32_t bound);
    bool Chance(uint32_t percent);
    int CommandCode();
    std::string Argument();
    std::string Number();
    std::string Path();
    std::string RandomBytes(size_t length);
    WPARAM SystemCommand();

    std::mt19937 random_;
    FuzzFiles files_;
};

// True for the codes that mean HC_Quit on either channel.
bool IsQuitCode(int code);
