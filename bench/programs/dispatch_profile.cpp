// Profile of one command inside the agent: the agent's own dispatcher and
// channel code run in-process on a playing file, with no message passing,
// beside the bare graph calls each command needs. Subtracted from a round
// trip it says how much of it is the agent's work and how much the
// platform's messaging.
//   dispatch_profile --file PATH --count N
#include <windows.h>

#include <vector>

#include "harness/bare_graph.h"
#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "protocol/command_dispatcher.h"
#include "quavel/protocol.h"
#include "harness/stopwatch.h"

namespace {

struct ProfiledCommand {
    const char* key;
    int code;
    const char* argument;
};

const ProfiledCommand kCommands[] = {
    {"dispatch_get_state_us", HC_GetState, NULL},
    {"dispatch_get_position_us", HC_GetPosition, NULL},
    {"dispatch_set_volume_us", HC_SetVolume, "100"},
    {"dispatch_is_playing_us", HC_IsPlaying, NULL},
};

std::vector<double> TimeDispatch(const ProfiledCommand& command, int count)
{
    std::vector<double> samples;
    for (int index = 0; index < count; ++index) {
        Stopwatch stopwatch;
        HandleCommand(command.code, command.argument);
        samples.push_back(stopwatch.ElapsedUs());
    }
    return samples;
}

// The graph calls behind HC_GetState and HC_IsPlaying on a playing channel:
// state, duration, position.
std::vector<double> TimeBareStateQuery(BareGraph& graph, int count)
{
    std::vector<double> samples;
    for (int index = 0; index < count; ++index) {
        Stopwatch stopwatch;
        graph.State();
        graph.Duration();
        graph.Position();
        samples.push_back(stopwatch.ElapsedUs());
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    int count = options.Number("--count", 10000);

    agent.channel1.reset(new PlaybackChannel());
    agent.channel2.reset(new PlaybackChannel());
    if (!agent.channel1->OpenFile(file.c_str()))
        return 1;
    agent.channel1->Run();

    BareGraph graph;
    graph.Build();
    graph.Render(file);
    graph.Run();

    JsonReport report;
    for (const ProfiledCommand& command : kCommands)
        report.Samples(command.key, TimeDispatch(command, count));
    report.Samples("bare_state_query_us", TimeBareStateQuery(graph, count));
    report.Print();

    graph.Release();
    agent.channel2.reset();
    agent.channel1.reset();
    return 0;
}
