#include "fuzz_replay.h"

#include <windows.h>

#include <cstdlib>

namespace {

bool ReadVariable(const char* name, unsigned long* value)
{
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return false;
    *value = strtoul(text, nullptr, 10);
    return true;
}

}  // namespace

uint32_t FuzzReplayNumber()
{
    unsigned long replay = 0;
    if (ReadVariable("QUAVEL_FUZZ_REPLAY", &replay))
        return static_cast<uint32_t>(replay);
    return GetTickCount() ^ (GetCurrentProcessId() << 16);
}

int FuzzMessageCount(int fallback)
{
    unsigned long count = 0;
    if (ReadVariable("QUAVEL_FUZZ_MESSAGES", &count))
        return static_cast<int>(count);
    return fallback;
}
