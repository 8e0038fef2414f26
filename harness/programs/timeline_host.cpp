// A host that drives the agent through a script of steps and stamps every
// command on the wall clock, so that what was asked and answered can be laid
// beside what the sound device heard.
//   timeline_host STEP...
// Steps, in order:
//   CODE or CODE=ARGUMENT  send the command (the reply is kept)
//   sleep=MS               wait
//   poll=CODE/MS/EVERY     send CODE every EVERY ms for MS ms
//   notify=CHANNEL         register a message-only window of this host for
//                          the channel's events (HC_NotifyWindow)
// The report: "base_s" (a whole wall-clock second), then per command sent,
// in order: "code", "reply", "sent_ms" and "answered_ms" (milliseconds since
// base_s, taken just before the send and just after the reply); per event
// the agent posted, in the order taken: "event_ms" (when this host took it),
// "event_channel", "event_kind" and "event_position" (the lParam). Posted
// messages are taken while the host waits, so a step that waits is what
// hears them on time.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "harness/json_report.h"
#include "harness/wall_clock.h"
#include "quavel/host.h"

namespace {

const UINT kToldMessage = WM_APP + 1;

struct Timeline {
    double baseS = std::floor(WallClockSeconds());
    std::vector<double> codes, replies, sentMs, answeredMs;
    HWND told = NULL;
    std::vector<double> eventMs, eventChannels, eventKinds, eventPositions;

    void TakeEvents()
    {
        MSG message;
        while (told && PeekMessageA(&message, told, kToldMessage, kToldMessage, PM_REMOVE)) {
            eventMs.push_back((WallClockSeconds() - baseS) * 1000.0);
            eventChannels.push_back(QUAVEL_CHANNEL_OF(message.wParam));
            eventKinds.push_back(QUAVEL_EVENT_OF(message.wParam));
            eventPositions.push_back(static_cast<double>(message.lParam));
        }
    }

    // Waits `ms`, taking each event as it comes.
    void Wait(DWORD ms)
    {
        DWORD start = GetTickCount();
        for (DWORD waited = 0; waited < ms; waited = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, ms - waited, QS_POSTMESSAGE);
            TakeEvents();
        }
        TakeEvents();
    }

    bool Send(HWND agent, int code, const char* argument)
    {
        double sent = WallClockSeconds();
        int reply = 0;
        if (QuavelSendCommand(agent, code, argument, QUAVEL_DEFAULT_TIMEOUT_MS, &reply) != QUAVEL_OK)
            return false;
        double answered = WallClockSeconds();
        codes.push_back(code);
        replies.push_back(reply);
        sentMs.push_back((sent - baseS) * 1000.0);
        answeredMs.push_back((answered - baseS) * 1000.0);
        TakeEvents();
        return true;
    }
};

bool Notify(Timeline& timeline, HWND agent, int channel)
{
    if (!timeline.told)
        timeline.told = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    return timeline.told && QuavelNotifyWindow(agent, channel, timeline.told, kToldMessage,
                                               QUAVEL_DEFAULT_TIMEOUT_MS) == QUAVEL_OK;
}

bool Poll(Timeline& timeline, HWND agent, const char* spec)
{
    int code = 0, forMs = 0, everyMs = 0;
    if (sscanf(spec, "%d/%d/%d", &code, &forMs, &everyMs) != 3 || everyMs <= 0)
        return false;
    DWORD start = GetTickCount();
    for (DWORD next = 0; GetTickCount() - start < static_cast<DWORD>(forMs); next += everyMs) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed < next)
            timeline.Wait(next - elapsed);
        if (!timeline.Send(agent, code, NULL))
            return false;
    }
    return true;
}

bool Step(Timeline& timeline, HWND agent, const char* step)
{
    if (strncmp(step, "sleep=", 6) == 0) {
        timeline.Wait(static_cast<DWORD>(atoi(step + 6)));
        return true;
    }
    if (strncmp(step, "notify=", 7) == 0)
        return Notify(timeline, agent, atoi(step + 7));
    if (strncmp(step, "poll=", 5) == 0)
        return Poll(timeline, agent, step + 5);
    const char* equals = strchr(step, '=');
    std::string argument = equals ? equals + 1 : "";
    return timeline.Send(agent, atoi(step), equals ? argument.c_str() : NULL);
}

}  // namespace

int main(int argc, char** argv)
{
    HWND agent = QuavelFindAgent();
    if (!agent) {
        fprintf(stderr, "timeline_host: no agent is running\n");
        return 1;
    }
    Timeline timeline;
    for (int index = 1; index < argc; ++index) {
        if (!Step(timeline, agent, argv[index])) {
            fprintf(stderr, "timeline_host: step %s failed\n", argv[index]);
            return 1;
        }
    }
    JsonReport report;
    report.Number("base_s", timeline.baseS);
    report.Samples("code", timeline.codes);
    report.Samples("reply", timeline.replies);
    report.Samples("sent_ms", timeline.sentMs);
    report.Samples("answered_ms", timeline.answeredMs);
    report.Samples("event_ms", timeline.eventMs);
    report.Samples("event_channel", timeline.eventChannels);
    report.Samples("event_kind", timeline.eventKinds);
    report.Samples("event_position", timeline.eventPositions);
    report.Print();
    return 0;
}
