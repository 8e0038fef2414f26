#include "harness/stamped_steps.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "harness/json_report.h"
#include "harness/wall_clock.h"

StampedSteps::StampedSteps(Target& target) : target_(target), baseS_(std::floor(WallClockSeconds()))
{
}

bool StampedSteps::Send(int code, const char* argument)
{
    double sent = WallClockSeconds();
    int reply = 0;
    if (!target_.Send(code, argument, &reply))
        return false;
    double answered = WallClockSeconds();
    codes_.push_back(code);
    replies_.push_back(reply);
    sentMs_.push_back((sent - baseS_) * 1000.0);
    answeredMs_.push_back((answered - baseS_) * 1000.0);
    return true;
}

bool StampedSteps::Poll(const char* codeForEvery)
{
    int code = 0, forMs = 0, everyMs = 0;
    if (sscanf(codeForEvery, "%d/%d/%d", &code, &forMs, &everyMs) != 3 || everyMs <= 0)
        return false;
    DWORD start = GetTickCount();
    for (DWORD next = 0; GetTickCount() - start < static_cast<DWORD>(forMs); next += everyMs) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed < next)
            target_.Wait(next - elapsed);
        if (!Send(code, NULL))
            return false;
    }
    return true;
}

bool StampedSteps::Step(const char* step)
{
    bool ok = true;
    if (target_.Step(step, &ok))
        return ok;
    if (strncmp(step, "sleep=", 6) == 0) {
        target_.Wait(static_cast<DWORD>(atoi(step + 6)));
        return true;
    }
    if (strncmp(step, "poll=", 5) == 0)
        return Poll(step + 5);
    const char* equals = strchr(step, '=');
    return Send(atoi(step), equals ? equals + 1 : NULL);
}

bool StampedSteps::Run(int count, char** steps)
{
    for (int index = 0; index < count; ++index) {
        if (!Step(steps[index])) {
            fprintf(stderr, "step %s failed\n", steps[index]);
            return false;
        }
    }
    return true;
}

void StampedSteps::Print() const
{
    JsonReport report;
    report.Number("base_s", baseS_);
    report.Samples("code", codes_);
    report.Samples("reply", replies_);
    report.Samples("sent_ms", sentMs_);
    report.Samples("answered_ms", answeredMs_);
    target_.Report(report, baseS_);
    report.Print();
}
