// A host that drives the agent through a script of steps and stamps every
// command on the wall clock, so that what was asked and answered can be laid
// beside what the sound device heard.
//   timeline_host STEP...
// Steps, in order:
//   CODE or CODE=ARGUMENT  send the command (the reply is kept)
//   sleep=MS               wait
//   poll=CODE/MS/EVERY     send CODE every EVERY ms for MS ms
//   rewrite=TARGET|SOURCE  rewrite the file TARGET with the bytes of SOURCE,
//                          as another program would (shared with no one)
// The report: "base_s" (a whole wall-clock second), then per command sent,
// in order: "code", "reply", "sent_ms" and "answered_ms" (milliseconds since
// base_s, taken just before the send and just after the reply).
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "harness/json_report.h"
#include "harness/wall_clock.h"
#include "harness/whole_file.h"
#include "quavel/host.h"

namespace {

struct Timeline {
    double baseS = std::floor(WallClockSeconds());
    std::vector<double> codes, replies, sentMs, answeredMs;

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
        return true;
    }
};

bool Poll(Timeline& timeline, HWND agent, const char* spec)
{
    int code = 0, forMs = 0, everyMs = 0;
    if (sscanf(spec, "%d/%d/%d", &code, &forMs, &everyMs) != 3 || everyMs <= 0)
        return false;
    DWORD start = GetTickCount();
    for (DWORD next = 0; GetTickCount() - start < static_cast<DWORD>(forMs); next += everyMs) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed < next)
            Sleep(next - elapsed);
        if (!timeline.Send(agent, code, NULL))
            return false;
    }
    return true;
}

bool Rewrite(const char* spec)
{
    const char* bar = strchr(spec, '|');
    std::string bytes;
    if (!bar || !ReadWholeFile(bar + 1, &bytes))
        return false;
    DWORD error = RewriteFile(std::string(spec, bar), bytes);
    if (error != ERROR_SUCCESS)
        fprintf(stderr, "timeline_host: rewriting %s failed, error %lu\n", spec,
                static_cast<unsigned long>(error));
    return error == ERROR_SUCCESS;
}

bool Step(Timeline& timeline, HWND agent, const char* step)
{
    if (strncmp(step, "sleep=", 6) == 0) {
        Sleep(static_cast<DWORD>(atoi(step + 6)));
        return true;
    }
    if (strncmp(step, "poll=", 5) == 0)
        return Poll(timeline, agent, step + 5);
    if (strncmp(step, "rewrite=", 8) == 0)
        return Rewrite(step + 8);
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
    report.Print();
    return 0;
}
