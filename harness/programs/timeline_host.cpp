// A host that drives the agent through a script of steps (see
// harness/stamped_steps.h), every command stamped on the wall clock, so that
// what was asked and answered can be laid beside what the sound device
// heard.
//   timeline_host STEP...
// Steps of its own: "notify=CHANNEL" registers a message-only window of
// this host for the channel's ends and wraps (HC_NotifyWindow). Each event
// the agent posts is reported as it was taken: "event_ms" (milliseconds
// since base_s), "event_channel", "event_kind" and "event_position" (the
// lParam). Events are taken while the host waits, so a script that waits
// ("sleep=") is what hears them on time. Another: "rewrite=TARGET|SOURCE"
// rewrites the file TARGET with the bytes of SOURCE, as another program
// would (shared with no one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "harness/json_report.h"
#include "harness/stamped_steps.h"
#include "harness/wall_clock.h"
#include "harness/whole_file.h"
#include "quavel/host.h"

namespace {

const UINT kToldMessage = WM_APP + 1;

bool Rewrite(const char* targetAndSource)
{
    const char* bar = strchr(targetAndSource, '|');
    std::string bytes;
    if (!bar || !ReadWholeFile(bar + 1, &bytes))
        return false;
    DWORD error = RewriteFile(std::string(targetAndSource, bar), bytes);
    if (error != ERROR_SUCCESS)
        fprintf(stderr, "timeline_host: rewriting %s failed, error %lu\n", targetAndSource,
                static_cast<unsigned long>(error));
    return error == ERROR_SUCCESS;
}

class Agent : public StampedSteps::Target {
public:
    explicit Agent(HWND window) : window_(window), told_(NULL) {}
    ~Agent() override
    {
        if (told_)
            DestroyWindow(told_);
    }

    bool Send(int code, const char* argument, int* reply) override
    {
        bool sent = QuavelSendCommand(window_, code, argument, QUAVEL_DEFAULT_TIMEOUT_MS, reply) ==
                    QUAVEL_OK;
        TakeEvents();
        return sent;
    }

    bool Step(const char* step, bool* ok) override
    {
        if (strncmp(step, "rewrite=", 8) == 0) {
            *ok = Rewrite(step + 8);
            return true;
        }
        if (strncmp(step, "notify=", 7) != 0)
            return false;
        if (!told_)
            told_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        *ok = told_ && QuavelNotifyWindow(window_, atoi(step + 7), told_, kToldMessage,
                                          QUAVEL_DEFAULT_TIMEOUT_MS) == QUAVEL_OK;
        return true;
    }

    // Takes each event as it comes.
    void Wait(DWORD ms) override
    {
        DWORD start = GetTickCount();
        for (DWORD waited = 0; waited < ms; waited = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, ms - waited, QS_POSTMESSAGE);
            TakeEvents();
        }
        TakeEvents();
    }

    void Report(JsonReport& report, double baseS) const override
    {
        std::vector<double> ms;
        for (double taken : takenS_)
            ms.push_back((taken - baseS) * 1000.0);
        report.Samples("event_ms", ms);
        report.Samples("event_channel", channels_);
        report.Samples("event_kind", kinds_);
        report.Samples("event_position", positions_);
    }

private:
    void TakeEvents()
    {
        MSG message;
        while (told_ && PeekMessageA(&message, told_, kToldMessage, kToldMessage, PM_REMOVE)) {
            takenS_.push_back(WallClockSeconds());
            channels_.push_back(QUAVEL_CHANNEL_OF(message.wParam));
            kinds_.push_back(QUAVEL_EVENT_OF(message.wParam));
            positions_.push_back(static_cast<double>(message.lParam));
        }
    }

    HWND window_;
    HWND told_;
    std::vector<double> takenS_, channels_, kinds_, positions_;
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
