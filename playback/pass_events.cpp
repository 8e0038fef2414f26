#include "playback/pass_events.h"

#include <algorithm>

#include "quavel/protocol.h"

namespace {

// Every event the passes hold, whenever heard, in no particular order. The
// end is the one of the pass started last, and only when nothing follows
// it: a looping channel's passes never end, its next one is scheduled long
// before the last is heard out.
int AllEvents(const HeardPasses& passes, PassEvent events[kMostPassEvents])
{
    int count = 0;
    const HeardPass* last = NULL;
    for (const HeardPass& pass : passes.pass) {
        if (!pass.started)
            continue;
        if (!last || pass.heard > last->heard)
            last = &pass;
        if (pass.loopPass)
            events[count++] = PassEvent{QUAVEL_EVENT_WRAPPED, pass.heard, 0.0};
    }
    if (last && !passes.looping)
        events[count++] = PassEvent{QUAVEL_EVENT_ENDED, last->heardEnd, last->end};
    return count;
}

bool HeardEarlier(const PassEvent& a, const PassEvent& b)
{
    return a.at < b.at;
}

}  // namespace

HeardPass HeardPassOf(const PlaybackGraph& graph, REFERENCE_TIME hostStart)
{
    HeardPass pass = HeardPass();
    if (!graph.Started())
        return pass;
    pass.started = true;
    pass.loopPass = graph.StartTime() > hostStart;
    pass.heard = graph.HeardTime();
    pass.heardEnd = graph.EndTime() + graph.LateBy();
    pass.end = graph.End();
    return pass;
}

int PassEventsBetween(const HeardPasses& passes, REFERENCE_TIME after, REFERENCE_TIME upTo,
                      PassEvent events[kMostPassEvents])
{
    PassEvent all[kMostPassEvents];
    int total = AllEvents(passes, all);
    int count = 0;
    for (int index = 0; index < total; ++index) {
        if (all[index].at > after && all[index].at <= upTo)
            events[count++] = all[index];
    }
    std::sort(events, events + count, HeardEarlier);
    return count;
}

bool NextPassEvent(const HeardPasses& passes, REFERENCE_TIME after, REFERENCE_TIME* at)
{
    PassEvent all[kMostPassEvents];
    int total = AllEvents(passes, all);
    bool found = false;
    for (int index = 0; index < total; ++index) {
        if (all[index].at <= after || (found && all[index].at >= *at))
            continue;
        *at = all[index].at;
        found = true;
    }
    return found;
}
