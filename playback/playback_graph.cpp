#include "playback/playback_graph.h"

#include <cmath>
#include <utility>

#include "diag/error_log.h"
#include "playback/agent_clock.h"
#include "playback/memory_render.h"
#include "playback/render_request.h"

namespace {

const double kUnitsPerSecond = 10000000.0;
// The attenuation of a graph that has just rendered its file.
const long kFullVolume = 0;
// A stop time the host has not set: the graph stops at its duration.
const double kNoStopTime = -1.0;
// Far longer than a cue takes on a loaded machine (a few milliseconds for a
// WAV, tens for a compressed file): only a graph whose decoder stalls waits
// this long, and the host's reply with it.
const LONG kCueWaitMs = 100;

template <class Interface>
bool QueryGraph(IGraphBuilder* graph, REFIID iid, Interface** member, const char* tag)
{
    graph->QueryInterface(iid, reinterpret_cast<void**>(member));
    if (*member)
        return true;
    LogError(tag, NULL);
    return false;
}

template <class Interface>
void ReleaseAndClear(Interface*& member)
{
    if (!member)
        return;
    member->Release();
    member = NULL;
}

// What `graph` is asked to render: `path` from a memory source over `file`,
// added to it here, or through the platform's file source when there is no
// file. False when the source could not be added.
bool Request(IGraphBuilder* graph, const WCHAR* path, MemoryFile* file, RenderRequest* request)
{
    request->path = path;
    request->source = NULL;
    return !file || SUCCEEDED(AddMemorySource(graph, file, &request->source));
}

// Lets go of the request's source, keeping the error a failed render left
// for the report.
void ReleaseSource(RenderRequest* request)
{
    DWORD error = GetLastError();
    ReleaseAndClear(request->source);
    SetLastError(error);
}

}  // namespace

double ReferenceToSeconds(REFERENCE_TIME time)
{
    return static_cast<double>(time) / kUnitsPerSecond;
}

REFERENCE_TIME SecondsToReference(double seconds)
{
    return static_cast<REFERENCE_TIME>(std::floor(seconds * kUnitsPerSecond + 0.5));
}

PlaybackGraph::PlaybackGraph()
    : pGraph(NULL), pMediaControl(NULL), pMediaPos(NULL), pBasicAudio(NULL), pMediaFilter(NULL),
      pMediaSeeking(NULL), stopTime(kNoStopTime), from(0.0), hasRun(false), started(false),
      startTime(0), lateBy(0)
{
}

PlaybackGraph::~PlaybackGraph()
{
    Release();
}

bool PlaybackGraph::Build()
{
    Release();
    if (!AgentClock())
        return false;
    CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(&pGraph));
    if (!pGraph) {
        LogError("Init:pGraph", NULL);
        Release();
        return false;
    }
    if (!QueryGraph(pGraph, IID_IMediaControl, &pMediaControl, "Init:pMediaControl") ||
        !QueryGraph(pGraph, IID_IMediaPosition, &pMediaPos, "Init:pMediaPos") ||
        !QueryGraph(pGraph, IID_IBasicAudio, &pBasicAudio, "Init:pBasicAudio") ||
        !QueryGraph(pGraph, IID_IMediaFilter, &pMediaFilter, "Init:pMediaFilter") ||
        !QueryGraph(pGraph, IID_IMediaSeeking, &pMediaSeeking, "Init:pMediaSeeking")) {
        Release();
        return false;
    }
    ResetTimeline();
    hasRun = false;
    return true;
}

// The last release stops the graph.
void PlaybackGraph::Release()
{
    ReleaseAndClear(pMediaSeeking);
    ReleaseAndClear(pMediaFilter);
    ReleaseAndClear(pBasicAudio);
    ReleaseAndClear(pMediaPos);
    ReleaseAndClear(pMediaControl);
    ReleaseAndClear(pGraph);
    ResetTimeline();
}

bool PlaybackGraph::Held() const
{
    return pGraph != NULL;
}

void PlaybackGraph::Swap(PlaybackGraph& other)
{
    std::swap(pGraph, other.pGraph);
    std::swap(pMediaControl, other.pMediaControl);
    std::swap(pMediaPos, other.pMediaPos);
    std::swap(pBasicAudio, other.pBasicAudio);
    std::swap(pMediaFilter, other.pMediaFilter);
    std::swap(pMediaSeeking, other.pMediaSeeking);
    std::swap(stopTime, other.stopTime);
    std::swap(from, other.from);
    std::swap(hasRun, other.hasRun);
    std::swap(started, other.started);
    std::swap(startTime, other.startTime);
    std::swap(lateBy, other.lateBy);
}

// The one failure exit: whatever went wrong, the caller reports it. A render
// redone in a fresh graph takes a fresh source over the same bytes. The
// agent's clock is given to the graph once its filters are in, while it is
// still stopped, as the platform requires: a graph hands its clock only to
// the filters it holds at the time (Wine's AddFilter gives a filter added
// later none, and a renderer without a clock plays every sample the moment
// it comes, whatever its time).
HRESULT PlaybackGraph::Render(const WCHAR* wide, MemoryFile* file, FilterChoices* choices)
{
    HRESULT result = E_FAIL;
    RenderRequest request;
    if (!Request(pGraph, wide, file, &request))
        return result;
    OfferedRender offered = RenderOfferingChoice(pGraph, request, choices, &result);
    if (offered == kNothingOffered)
        RenderAndRemember(pGraph, request, choices, &result);
    ReleaseSource(&request);
    if (offered == kRenderedOtherwise) {
        result = E_FAIL;
        if (Build() && Request(pGraph, wide, file, &request))
            RenderAndRemember(pGraph, request, choices, &result);
        ReleaseSource(&request);
    }
    if (FAILED(result))
        return result;
    pMediaFilter->SetSyncSource(AgentClock());
    ResetTimeline();
    return result;
}

void PlaybackGraph::ReturnToFreshState()
{
    pMediaControl->Stop();
    pMediaPos->put_StopTime(Duration());
    pBasicAudio->put_Volume(kFullVolume);
    ResetTimeline();
}

// Stop first: a running graph that has played to its end ignores a seek
// under Wine. The seek comes while paused: a stopped renderer keeps the sound
// it had queued and plays it on the next run (Wine's does), and a seek while
// paused flushes it. The end goes with it, so that the graph stops where the
// channel counts the end. A graph that has never run holds nothing to drop:
// it is only paused, and its parser goes to the positions it holds as it
// leaves the stopped state (a seek spared: a few milliseconds of the reply).
bool PlaybackGraph::Cue(double at)
{
    pMediaControl->Stop();
    pMediaControl->Pause();
    if (hasRun || at != 0.0) {
        LONGLONG start = SecondsToReference(at);
        LONGLONG end = SecondsToReference(End());
        pMediaSeeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &end,
                                    AM_SEEKING_AbsolutePositioning);
    }
    from = at;
    started = false;
    OAFilterState state = State_Stopped;
    return pMediaControl->GetState(kCueWaitMs, &state) == S_OK && state == State_Paused;
}

void PlaybackGraph::StartAt(REFERENCE_TIME start, REFERENCE_TIME late)
{
    pMediaFilter->Run(start);
    hasRun = true;
    started = true;
    startTime = start;
    lateBy = late;
}

void PlaybackGraph::StopAt(double at)
{
    pMediaControl->Stop();
    from = at;
    started = false;
}

bool PlaybackGraph::Started() const
{
    return started;
}

double PlaybackGraph::From() const
{
    return from;
}

REFERENCE_TIME PlaybackGraph::StartTime() const
{
    return startTime;
}

REFERENCE_TIME PlaybackGraph::LateBy() const
{
    return lateBy;
}

REFERENCE_TIME PlaybackGraph::HeardTime() const
{
    return startTime + lateBy;
}

REFERENCE_TIME PlaybackGraph::EndTime() const
{
    double left = End() - from;
    return startTime + SecondsToReference(left > 0.0 ? left : 0.0);
}

double PlaybackGraph::HeardPositionAt(REFERENCE_TIME now) const
{
    return PresentedPositionAt(now - lateBy);
}

double PlaybackGraph::PresentedPositionAt(REFERENCE_TIME now) const
{
    double position = from;
    if (started && now > startTime)
        position += ReferenceToSeconds(now - startTime);
    double end = End();
    return position < end ? position : end;
}

double PlaybackGraph::Duration() const
{
    REFTIME seconds = 0.0;
    if (pMediaPos)
        pMediaPos->get_Duration(&seconds);
    return seconds;
}

double PlaybackGraph::End() const
{
    double length = Duration();
    return stopTime >= 0.0 && stopTime < length ? stopTime : length;
}

void PlaybackGraph::SetStopTime(double seconds)
{
    pMediaPos->put_StopTime(seconds);
    stopTime = seconds;
}

void PlaybackGraph::SetVolume(long attenuation)
{
    pBasicAudio->put_Volume(attenuation);
}

// A failed read counts as silence.
long PlaybackGraph::Volume()
{
    long attenuation = -10000;
    pBasicAudio->get_Volume(&attenuation);
    return attenuation;
}

OAFilterState PlaybackGraph::State()
{
    OAFilterState state = State_Stopped;
    pMediaControl->GetState(0, &state);
    return state;
}

void PlaybackGraph::ResetTimeline()
{
    stopTime = kNoStopTime;
    from = 0.0;
    started = false;
    startTime = 0;
    lateBy = 0;
}
