// A host that drives the agent through a script of steps (see
// harness/stamped_steps.h), every command stamped on the wall clock, so that
// what was asked and answered can be laid beside what the sound device
// heard.
//   timeline_host STEP...
#include <windows.h>

#include <cstdio>

#include "harness/stamped_steps.h"
#include "quavel/host.h"

namespace {

class Agent : public StampedSteps::Target {
public:
    explicit Agent(HWND window) : window_(window) {}
    bool Send(int code, const char* argument, int* reply) override
    {
        return QuavelSendCommand(window_, code, argument, QUAVEL_DEFAULT_TIMEOUT_MS, reply) ==
               QUAVEL_OK;
    }

private:
    HWND window_;
};

}  // namespace

int main(int argc, char** argv)
{
    HWND window = QuavelFindAgent();
    if (!window) {
        fprintf(stderr, "timeline_host: no agent is running\n");
        return 1;
    }
    Agent agent(window);
    StampedSteps steps(agent);
    if (!steps.Run(argc - 1, argv + 1))
        return 1;
    steps.Print();
    return 0;
}
