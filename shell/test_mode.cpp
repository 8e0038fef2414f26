#include "shell/test_mode.h"

#include <windows.h>

#include "common/agent_state.h"

namespace {

const char kTestCaption[] = "Playing...";
const DWORD kTestPlayMs = 2000;

}  // namespace

// An unplayable file has already been logged by the channel; there is nothing
// more to tell anyone.
void RunTestMode(const char* file)
{
    MessageBoxA(NULL, file, kTestCaption, MB_OK);
    if (!agent.channel1->OpenFile(file))
        return;
    agent.channel1->Run();
    Sleep(kTestPlayMs);
}
