#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/playback_graph.h"

// What a host can be told about a channel's sound, read off the timeline
// its graphs keep: when its last pass has been heard to its end (not while
// it loops), and when a loop's next pass begins to be heard. Each is timed
// by when it is heard, not by when the graph presents it: under Wine the two
// lie an output latency apart (see output_latency.h).

// One graph's pass as it is heard.
struct HeardPass {
    bool started;
    bool loopPass;            // begun by the loop, not by a start the host asked for
    REFERENCE_TIME heard;     // its first sound is heard
    REFERENCE_TIME heardEnd;  // its last sound is heard
    double end;               // the position it ends at, seconds
};

struct HeardPasses {
    bool looping;
    HeardPass pass[2];
};

// The event numbers are the wire contract's (QUAVEL_EVENT_ENDED, _WRAPPED).
struct PassEvent {
    int kind;
    REFERENCE_TIME at;
    double position;  // seconds
};

// Two loop passes and an end at most.
const int kMostPassEvents = 3;

// `graph`'s pass, a loop's when it is presented after `hostStart`.
HeardPass HeardPassOf(const PlaybackGraph& graph, REFERENCE_TIME hostStart);

// The events heard after `after` and no later than `upTo`, in the order
// heard, into `events`; returns how many.
int PassEventsBetween(const HeardPasses& passes, REFERENCE_TIME after, REFERENCE_TIME upTo,
                      PassEvent events[kMostPassEvents]);

// When the first event after `after` is heard; false when none is coming.
bool NextPassEvent(const HeardPasses& passes, REFERENCE_TIME after, REFERENCE_TIME* at);
