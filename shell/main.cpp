#include <windows.h>

#include "shell/agent_lifetime.h"
#include "shell/command_line_tail.h"
#include "shell/service_mode.h"
#include "shell/test_mode.h"

// The tail is computed from the process's own command line rather than taken
// from the runtime's argument, whose treatment of quotes and blanks varies
// between runtimes.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    StartAgent(instance);
    const char* tail = CommandLineTail(GetCommandLineA());
    if (*tail != '\0')
        RunTestMode(tail);
    else
        RunServiceMode();
    ReleaseChannels();
    return 0;
}
