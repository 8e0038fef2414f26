#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/filter_choices.h"
#include "playback/memory_file.h"

// One filter graph of a channel, with the interfaces the agent drives it
// through and the timeline it keeps for it: where its sound starts in the
// file (`From`), the reference time its graph was told to present that
// moment (`StartTime`), and how much later than that it is heard
// (`LateBy`, the output latency: none on Windows, where a renderer presents
// a sample at its time; see output_latency.h for Wine).
//
// Why the graph's own transport and position are not used as they stand:
// - IMediaControl::Run starts "slightly in the future", by an amount no one
//   is told (Wine: always 200 ms, then its renderer's path); a start here is
//   a cued graph run at a known reference time (Cue, then StartAt).
// - IMediaPosition::get_CurrentPosition is Wine's clock arithmetic from the
//   Run call, a quarter second ahead of the sound, and after an explicit
//   start time or the end of stream it is no position at all; the position
//   here is From plus the clock's time since the start was heard.
// - Run after Stop resumes where the graph stopped on Windows, where the last
//   run began under Wine; here every start is cued at the position kept.
// - A seek on a running graph that has reached its end is ignored by Wine;
//   a cue stops the graph first, on every platform.
class PlaybackGraph {
public:
    PlaybackGraph();
    ~PlaybackGraph();

    // Assumes: the component runtime is initialised on this thread. Builds a
    // fresh graph on the agent's clock, releasing any held first. On failure
    // one "Init:" line names what could not be had, and nothing is held.
    bool Build();
    // Releases the interfaces in reverse order of acquisition.
    void Release();
    bool Held() const;
    // Hands this graph, timeline and all, to `other` and takes what it held:
    // a graph has one owner at any time, whoever holds it.
    void Swap(PlaybackGraph& other);

    // Assumes: Held(), and a fresh graph. Renders `wide` (a disk file) from
    // `file`, its bytes read into memory, or through the platform's file
    // source when `file` is NULL, offering the filters `choices` remembers
    // for its kind; a render the offer may have bent is done again in a
    // fresh graph with nothing offered. On success the timeline is at the
    // start, stopping at the end. Returns the render's HRESULT (E_FAIL when
    // a source or a fresh graph for the redo could not be had).
    HRESULT Render(const WCHAR* wide, MemoryFile* file, FilterChoices* choices);

    // Assumes: Held(). Stopped at the start, stopping at its end, at full
    // volume: what a fresh render leaves.
    void ReturnToFreshState();

    // Assumes: Held(). Stops the graph, seeks it to `from` and its end while
    // paused, which drops whatever its renderer still held (a graph that has
    // never run is only paused, at the start), and waits a bounded time for
    // the renderer to hold the first samples from there.
    // False when they did not come in time: the graph is then still on its
    // way there, paused.
    bool Cue(double from);
    // Assumes: Cue was called. Runs the graph so that the sound at From is
    // presented at `start`, and heard `lateBy` after that.
    void StartAt(REFERENCE_TIME start, REFERENCE_TIME lateBy);
    // Assumes: Held(). Stops the graph; `at` is where its next start plays
    // from.
    void StopAt(double at);

    bool Started() const;
    double From() const;
    REFERENCE_TIME StartTime() const;
    REFERENCE_TIME LateBy() const;
    // When the sound at From is heard: StartTime plus LateBy.
    REFERENCE_TIME HeardTime() const;
    // When the last sound of this start is presented: StartTime plus what
    // lies between From and End.
    REFERENCE_TIME EndTime() const;
    // What is heard at `now`: From plus the clock's time since HeardTime
    // (From when stopped or not yet heard), never past End.
    double HeardPositionAt(REFERENCE_TIME now) const;
    // What is presented at `now`: From plus the time since StartTime; where
    // the sound ends when the graph stops then.
    double PresentedPositionAt(REFERENCE_TIME now) const;

    // Assumes: Held().
    double Duration() const;
    // The stop time, or the duration when that comes first.
    double End() const;
    void SetStopTime(double seconds);
    void SetVolume(long attenuation);
    long Volume();
    // A failed call reads as stopped.
    OAFilterState State();

private:
    PlaybackGraph(const PlaybackGraph&);
    PlaybackGraph& operator=(const PlaybackGraph&);

    void ResetTimeline();

    IGraphBuilder* pGraph;
    IMediaControl* pMediaControl;
    IMediaPosition* pMediaPos;
    IBasicAudio* pBasicAudio;
    IMediaFilter* pMediaFilter;
    IMediaSeeking* pMediaSeeking;
    double stopTime;
    double from;
    // Run since it was built: its renderer may hold sound from then.
    bool hasRun;
    bool started;
    REFERENCE_TIME startTime;
    REFERENCE_TIME lateBy;
};

// Reference time <-> seconds.
double ReferenceToSeconds(REFERENCE_TIME time);
REFERENCE_TIME SecondsToReference(double seconds);
