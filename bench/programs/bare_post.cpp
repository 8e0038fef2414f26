// Baseline: the floor for telling a host on time. A bare message-only
// window aims a one-shot window timer at a moment, posts itself a message
// when the timer comes and stamps the message as it takes it: how late a
// message aimed at a moment is taken, with no sound and no agent between.
//   bare_post [--count N] [--ahead-ms MS]
// The report: "late_ms", per message, when it was taken less the moment
// aimed at, in milliseconds of the wall clock.
#include <windows.h>

#include <vector>

#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/wall_clock.h"

namespace {

const UINT_PTR kTimerId = 1;
const UINT kToldMessage = WM_APP + 1;

// Arms the timer `aheadMs` ahead and returns the moment aimed at.
double Aim(HWND window, int aheadMs)
{
    double target = WallClockSeconds() + aheadMs / 1000.0;
    SetTimer(window, kTimerId, static_cast<UINT>(aheadMs), NULL);
    return target;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    int count = options.Number("--count", 20);
    int aheadMs = options.Number("--ahead-ms", 137);
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    if (!window)
        return 1;
    std::vector<double> lateMs;
    double target = Aim(window, aheadMs);
    MSG message;
    while (static_cast<int>(lateMs.size()) < count && GetMessageA(&message, window, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            KillTimer(window, kTimerId);
            PostMessageA(window, kToldMessage, 0, 0);
        } else if (message.message == kToldMessage) {
            lateMs.push_back((WallClockSeconds() - target) * 1000.0);
            target = Aim(window, aheadMs);
        }
    }
    DestroyWindow(window);
    JsonReport report;
    report.Samples("late_ms", lateMs);
    report.Print();
    return 0;
}
