#include "harness/timed_command.h"

#include "harness/stopwatch.h"

TimedReply SendTimed(HWND window, int code, const char* argument)
{
    TimedReply result;
    Stopwatch stopwatch;
    result.status = QuavelSendCommand(window, code, argument, QUAVEL_DEFAULT_TIMEOUT_MS,
                                      &result.reply);
    result.roundTripUs = stopwatch.ElapsedUs();
    return result;
}

bool ReplyTally::Check(const TimedReply& reply, int lowest, int highest)
{
    if (reply.status != QUAVEL_OK) {
        ++lost;
        return false;
    }
    if (reply.reply < lowest || reply.reply > highest) {
        ++wrong;
        return false;
    }
    return true;
}
