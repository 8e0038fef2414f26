#include "shell/test_mode.h"

#include <windows.h>

#include "common/agent_state.h"
#include "playback/playback_channel.h"

namespace {

const char kTestCaption[] = "Playing...";
const DWORD kTestPlayMs = 2000;

}  // namespace

// An unplayable file has already been logged by the channel; there is nothing
// more to tell anyone. The two seconds are counted from when the start is
// heard, not from the call that schedules it.
void RunTestMode(const char* file)
{
    MessageBoxA(NULL, file, kTestCaption, MB_OK);
    if (!agent.channel1->OpenFile(file))
        return;
    agent.channel1->Run();
    Sleep(kTestPlayMs + static_cast<DWORD>(agent.channel1->SecondsUntilHeard() * 1000.0 + 0.5));
}
