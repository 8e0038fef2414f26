#include "tools/channel_status.h"

#include <cstdio>

#include "tools/decimal_text.h"

namespace {

struct Query {
    int code;
    int ChannelStatus::*answer;
};

// The state first: a host reading the rest knows what they describe.
const Query kQueries[] = {
    {HC_GetState, &ChannelStatus::state},       {HC_GetPosition, &ChannelStatus::position},
    {HC_GetDuration, &ChannelStatus::duration}, {HC_GetVolume, &ChannelStatus::volume},
    {HC_GetLoop, &ChannelStatus::loop},
};

// Signed difference: survives the tick count's wrap.
int MsLeft(DWORD deadline)
{
    return static_cast<int>(deadline - GetTickCount());
}

struct Seconds {
    char text[24];
};

Seconds SecondsText(int hundredths)
{
    Seconds seconds;
    FormatHundredths(hundredths, seconds.text, sizeof seconds.text);
    return seconds;
}

}  // namespace

QuavelStatus AskChannelStatus(HWND agentWindow, DWORD deadline, ChannelStatus* status)
{
    int offset = status->channel == 2 ? QUAVEL_SECOND_CHANNEL : 0;
    for (const Query& query : kQueries) {
        int left = MsLeft(deadline);
        if (left <= 0)
            return QuavelFailedSend(agentWindow);
        QuavelStatus sent = QuavelSendCommand(agentWindow, query.code + offset, NULL,
                                              static_cast<UINT>(left), &(status->*query.answer));
        if (sent != QUAVEL_OK)
            return sent;
    }
    return QUAVEL_OK;
}

const char* StateWord(int state)
{
    // HC_GetState's replies, from -1 on.
    static const char* const kWords[] = {"no file", "stopped", "paused or finished", "playing"};
    const int count = static_cast<int>(sizeof kWords / sizeof kWords[0]);
    return state >= -1 && state < count - 1 ? kWords[state + 1] : "unknown";
}

void PrintStatusText(const ChannelStatus* statuses, int count)
{
    for (int i = 0; i < count; ++i) {
        const ChannelStatus& status = statuses[i];
        printf("channel %d: %s, %s s of %s s, volume %d %%, loop %s\n", status.channel,
               StateWord(status.state), SecondsText(status.position).text,
               SecondsText(status.duration).text, status.volume, status.loop ? "on" : "off");
    }
}

void PrintStatusJson(const ChannelStatus* statuses, int count)
{
    printf("{");
    for (int i = 0; i < count; ++i) {
        const ChannelStatus& status = statuses[i];
        printf("%s\"channel%d\": {\"state\": \"%s\", \"position\": %s, \"duration\": %s, "
               "\"volume\": %d, \"loop\": %s}",
               i ? ", " : "", status.channel, StateWord(status.state),
               SecondsText(status.position).text, SecondsText(status.duration).text,
               status.volume, status.loop ? "true" : "false");
    }
    printf("}\n");
}
