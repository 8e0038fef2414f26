#include "reply_oracle.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "quavel/protocol.h"

namespace {

const int kChannelBits = 0x1F;
const int kMaxPercent = 100;

// scanf("%d") read with saturation, through the C library's own parser.
long long ExpectedNumber(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(start, &end, 10);
    if (end == start)
        return 0;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return value;
}

bool Expect(bool holds, const char* what, long long reply, std::string* why)
{
    if (holds)
        return true;
    std::ostringstream out;
    out << "expected " << what << ", got " << reply;
    *why = out.str();
    return false;
}

}  // namespace

std::string TextTheAgentSees(const FuzzMessage& message)
{
    if (message.nullData)
        return std::string();
    std::string text = message.bytes.substr(0, message.byteCount);
    return text.substr(0, text.find('\0'));
}

ReplyOracle::ReplyOracle(const FuzzFiles& files) : files_(files)
{
}

void ReplyOracle::ChannelLoaded(int channel, bool loaded)
{
    channels_[channel - 1].loaded = loaded;
}

void ReplyOracle::LoopSet(int channel, bool loop)
{
    channels_[channel - 1].loop = loop;
}

bool ReplyOracle::Check(const FuzzMessage& message, long long reply, std::string* why)
{
    if (message.message != WM_COPYDATA)
        return Expect(reply == 0, "0 for a window message", reply, why);
    return CheckCommand(message.code, TextTheAgentSees(message), reply, why);
}

bool ReplyOracle::CheckCommand(int code, const std::string& text, long long reply, std::string* why)
{
    Channel* channel = &channels_[0];
    if (code > QUAVEL_LAST_COMMAND) {
        channel = &channels_[1];
        code &= kChannelBits;
    }
    bool loaded = channel->loaded;
    switch (code) {
    case HC_OpenFile:
        channel->loaded = reply == 1;
        channel->openFailed = reply != 1;
        if (text != files_.playable)
            return Expect(reply == 0, "0 for a path that is not a playable file", reply, why);
        return Expect(reply == 0 || reply == 1, "0 or 1", reply, why);
    case HC_Close:
        channel->loaded = false;
        return Expect(reply == 1, "1", reply, why);
    case HC_Stop:
    case HC_Reset:
    case HC_InfoWindow:
        return Expect(reply == 1, "1", reply, why);
    case HC_Run:
        return Expect(reply == 0, "0", reply, why);
    case HC_IsPlaying:
    case HC_IsPausedOrDone:
    case HC_IsStopped:
        return Expect(reply == 0 || (loaded && reply == 1), loaded ? "0 or 1" : "0 without a file",
                      reply, why);
    case HC_GetState:
        return Expect(loaded ? reply >= 0 && reply <= 2 : reply == -1,
                      loaded ? "a state 0-2" : "-1 without a file", reply, why);
    case HC_GetPosition:
    case HC_GetDuration:
        return Expect(loaded ? reply >= 0 : reply == 0, loaded ? "a time >= 0" : "0 without a file",
                      reply, why);
    case HC_GetVolume:
        return Expect(loaded ? reply >= 0 && reply <= kMaxPercent : reply == 0,
                      loaded ? "a percentage" : "0 without a file", reply, why);
    case HC_SetPosition:
    case HC_SetStopTime:
    case HC_SetVolume:
        return Expect(reply == ExpectedNumber(text), "the number echoed", reply, why);
    case HC_SetLoop:
        channel->loop = ExpectedNumber(text) != 0;
        return Expect(reply == ExpectedNumber(text), "the number echoed", reply, why);
    case HC_GetLoop:
        return Expect(reply == (channel->loop ? 1 : 0), "the loop flag last set", reply, why);
    case HC_NotifyWindow:
        return Expect(reply == 0 || reply == 1, "0 or 1", reply, why);
    case HC_GetLastError:
        return Expect(channel->openFailed ? reply != 0 : reply == 0,
                      channel->openFailed ? "a code after a failed open" : "0 without a failed open",
                      reply, why);
    default:
        return Expect(reply == 0, "0 for a code outside the table", reply, why);
    }
}
