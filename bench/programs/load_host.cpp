// Load: one host sending a fixed mix of commands as fast as it can, every
// reply checked. Two of these run at once, each owning one channel's volume,
// while both channels play a file of `--duration` hundredths.
//   load_host --channel 1|2 --count N --duration D [--echo 1]
// With --echo the target is the bare window, whose reply is the code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/bare_window_class.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"

namespace {

// Volumes whose percent survives the agent's round trip through the
// attenuation curve, and close enough together that a dropout still stands
// out in the recording.
const int kLowestVolume = 90;
const int kVolumeSpan = 11;
const int kPlaying = 2;

struct MixedCommand {
    int code;
    std::string argument;
    int lowest;
    int highest;
};

int OnChannel(int code, int channel)
{
    return channel == 2 ? code + QUAVEL_SECOND_CHANNEL : code;
}

std::vector<MixedCommand> CommandCycle(int own, int other, int volume, int duration)
{
    char volumeText[16];
    snprintf(volumeText, sizeof volumeText, "%d", volume);
    std::vector<MixedCommand> cycle;
    cycle.push_back({OnChannel(HC_SetVolume, own), volumeText, volume, volume});
    cycle.push_back({OnChannel(HC_GetVolume, own), "", volume, volume});
    cycle.push_back({OnChannel(HC_GetState, own), "", kPlaying, kPlaying});
    cycle.push_back({OnChannel(HC_IsPlaying, own), "", 1, 1});
    cycle.push_back({OnChannel(HC_GetPosition, own), "", 0, duration});
    cycle.push_back({OnChannel(HC_GetDuration, other), "", duration, duration});
    cycle.push_back({OnChannel(HC_GetState, other), "", kPlaying, kPlaying});
    cycle.push_back({OnChannel(HC_GetLoop, own), "", 0, 0});
    return cycle;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    int own = options.Number("--channel", 1);
    int other = own == 1 ? 2 : 1;
    int count = options.Number("--count", 50000);
    int duration = options.Number("--duration", 0);
    bool echo = options.Number("--echo", 0) != 0;
    HWND window = echo ? FindWindowA(BARE_WINDOW_CLASS, NULL) : QuavelFindAgent();
    if (!window) {
        fprintf(stderr, "load_host: no window to load\n");
        return 1;
    }

    std::vector<double> roundTripUs;
    roundTripUs.reserve(static_cast<size_t>(count));
    ReplyTally tally;
    std::string firstWrong;
    for (int sent = 0, cycleIndex = 0; sent < count; ++cycleIndex) {
        int volume = kLowestVolume + cycleIndex % kVolumeSpan;
        std::vector<MixedCommand> cycle = CommandCycle(own, other, volume, duration);
        for (size_t step = 0; step < cycle.size() && sent < count; ++step, ++sent) {
            const MixedCommand& command = cycle[step];
            const char* argument = command.argument.empty() ? NULL : command.argument.c_str();
            TimedReply reply = SendTimed(window, command.code, argument);
            int lowest = echo ? command.code : command.lowest;
            int highest = echo ? command.code : command.highest;
            int wrongBefore = tally.wrong;
            tally.Check(reply, lowest, highest);
            if (reply.status == QUAVEL_OK)
                roundTripUs.push_back(reply.roundTripUs);
            if (tally.wrong > wrongBefore && firstWrong.empty()) {
                char detail[96];
                snprintf(detail, sizeof detail, "code %d replied %d, expected %d..%d",
                         command.code, reply.reply, lowest, highest);
                firstWrong = detail;
            }
        }
    }

    JsonReport report;
    report.Samples("round_trip_us", roundTripUs);
    report.Number("lost", tally.lost);
    report.Number("wrong", tally.wrong);
    report.Text("first_wrong", firstWrong);
    report.Print();
    return 0;
}
