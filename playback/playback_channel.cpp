#include "playback/playback_channel.h"

#include <cmath>
#include <cstring>

#include "diag/error_log.h"
#include "playback/disk_file_path.h"
#include "playback/render_failure_report.h"
#include "playback/volume_curve.h"
#include "playback/widen_path.h"

namespace {

const double kEndMargin = 0.25;
// The attenuation of a graph that has just rendered its file.
const long kFullVolume = 0;
// Far longer than a start takes on a loaded machine (tens of milliseconds):
// only a graph that never gets its first samples waits this long.
const LONG kStartWaitMs = 500;

// Shared by both channels; only the agent's one thread opens files.
char pathBuffer[kPathCapacity];

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

void ConvertSlashes(char* path)
{
    for (; *path != '\0'; ++path) {
        if (*path == '/')
            *path = '\\';
    }
}

}  // namespace

PlaybackChannel::PlaybackChannel(FilterChoices& choices)
    : pGraph(NULL), pMediaControl(NULL), pMediaPos(NULL), pBasicAudio(NULL),
      loop(0), loaded(0), choices(&choices)
{
    heldPath[0] = '\0';
    CoInitialize(NULL);
    BuildGraph();
}

PlaybackChannel::~PlaybackChannel()
{
    ReleaseAll();
    CoUninitialize();
}

// Assumes: nothing. Leaves all four references held, or none (one log line
// names the first that could not be had).
void PlaybackChannel::BuildGraph()
{
    ReleaseAll();
    CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(&pGraph));
    if (!pGraph) {
        LogError("Init:pGraph", NULL);
        ReleaseAll();
        return;
    }
    if (!QueryGraph(pGraph, IID_IMediaControl, &pMediaControl, "Init:pMediaControl") ||
        !QueryGraph(pGraph, IID_IMediaPosition, &pMediaPos, "Init:pMediaPos") ||
        !QueryGraph(pGraph, IID_IBasicAudio, &pBasicAudio, "Init:pBasicAudio"))
        ReleaseAll();
}

// Assumes: nothing. Releases in reverse order of acquisition; the last
// release stops the graph, so a start still under way completes first.
void PlaybackChannel::ReleaseAll()
{
    if (pMediaControl)
        AwaitStart();
    ReleaseAndClear(pBasicAudio);
    ReleaseAndClear(pMediaPos);
    ReleaseAndClear(pMediaControl);
    ReleaseAndClear(pGraph);
}

// Assumes: `path` is NUL-terminated. Every open of another file, or of the
// held one changed on disk, starts from a fresh graph: a file rendered into a
// graph that already holds one plays alongside it, and graphs that keep
// growing with each open end up crashing the platform's decoder. The held
// file is rewound in its own graph instead: every fresh graph's parser costs
// the process memory the platform never gives back (about 10 KB on Wine).
bool PlaybackChannel::OpenFile(const char* path)
{
    size_t length = strlen(path);
    bool fits = length < sizeof pathBuffer;
    if (fits) {
        memcpy(pathBuffer, path, length + 1);
        ConvertSlashes(pathBuffer);
        if (HoldsUnchanged(pathBuffer)) {
            ReturnToFreshState();
            return true;
        }
    }

    loaded = 0;
    BuildGraph();
    if (!pGraph)
        return false;
    if (!fits) {
        ReportOverlongPath(path);
        return false;
    }

    WCHAR wide[kPathCapacity];
    int units = WidenPath(pathBuffer, wide);
    if (NamesDiskFile(wide) && Render(wide)) {
        loaded = 1;
        Hold(pathBuffer, wide);
        return true;
    }
    ReportRenderFailure(pathBuffer, wide, units);
    return false;
}

// Assumes: pGraph is fresh and `wide` names a disk file. When the graph does
// not take exactly the filters chosen for the file's kind, this file needs
// another chain, which the offer may have bent: it is rendered again, in a
// fresh graph with nothing offered.
bool PlaybackChannel::Render(const WCHAR* wide)
{
    OfferedRender offered = RenderOfferingChoice(pGraph, wide, choices);
    if (offered == kRenderedAsOffered)
        return true;
    if (offered == kRenderFailed)
        return false;
    if (offered == kRenderedOtherwise) {
        BuildGraph();
        if (!pGraph)
            return false;
    }
    return RenderAndRemember(pGraph, wide, choices);
}

// Assumes: the graph has just rendered `convertedPath`, widened as `wide`. A
// file whose identity cannot be read is not held: opening it again renders it
// afresh.
void PlaybackChannel::Hold(const char* convertedPath, const WCHAR* wide)
{
    heldPath[0] = '\0';
    if (ReadDiskFileIdentity(wide, &heldIdentity))
        memcpy(heldPath, convertedPath, strlen(convertedPath) + 1);
}

// Assumes: `convertedPath` fits the path buffer. Windows lets no one write
// to, rename or delete the file while the graph's reader holds it; the
// identity still catches what other processes do to it under Wine.
bool PlaybackChannel::HoldsUnchanged(const char* convertedPath)
{
    if (!HasFile() || heldPath[0] == '\0' || strcmp(convertedPath, heldPath) != 0)
        return false;
    WCHAR wide[kPathCapacity];
    WidenPath(convertedPath, wide);
    DiskFileIdentity now;
    return ReadDiskFileIdentity(wide, &now) && SameDiskFileIdentity(now, heldIdentity);
}

// Assumes: HasFile(). Leaves the graph as RenderFile leaves a fresh one:
// stopped, at the start, stopping at its end, at full volume, with nothing
// queued. A stopped renderer keeps the sound it had queued, and Wine's plays
// it on the next Run before the start (about 170 ms of where the file was
// stopped). A seek while paused flushes it; what the paused renderer takes
// after that is the start of the file, as a fresh graph's renderer takes on
// its first Run (recorded: no old sound and no start heard twice). A start
// still under way is let finish first, as for every stop.
void PlaybackChannel::ReturnToFreshState()
{
    AwaitStart();
    pMediaControl->Stop();
    pMediaControl->Pause();
    pMediaPos->put_CurrentPosition(0.0);
    pMediaControl->Stop();
    REFTIME duration = 0.0;
    pMediaPos->get_Duration(&duration);
    pMediaPos->put_StopTime(duration);
    pBasicAudio->put_Volume(kFullVolume);
}

// Assumes: nothing. `loaded` stays as it was: a closed channel is one
// without a graph.
void PlaybackChannel::Close()
{
    ReleaseAll();
}

// Assumes: pMediaControl is held. Returns once a start still under way has
// completed; a stopped or running graph answers at once.
//
// Wine's graph completes a Run from stopped on a thread of the process's
// pool (async_run_cb in quartz's filtergraph.c). A Stop, or the Stop of the
// last Release, that comes before the pool has taken that work up cancels
// it, and Wine's pool (tp_object_cancel in ntdll's threadpool.c) counts a
// busy thread for it for good: for every such cancel the process keeps one
// more thread as long as starts go on, and a 32-bit agent runs out of room.
void PlaybackChannel::AwaitStart()
{
    OAFilterState state = State_Stopped;
    pMediaControl->GetState(kStartWaitMs, &state);
}

bool PlaybackChannel::HasFile() const
{
    return loaded && pGraph;
}

// Assumes: HasFile(). A failed call reads as stopped.
OAFilterState PlaybackChannel::GraphState()
{
    OAFilterState state = State_Stopped;
    pMediaControl->GetState(0, &state);
    return state;
}

// Assumes: HasFile(). The duration is read first, then the position.
bool PlaybackChannel::NearEnd()
{
    double duration = GetDuration();
    double position = GetPosition();
    return position + kEndMargin >= duration;
}

bool PlaybackChannel::Run()
{
    if (!HasFile())
        return false;
    pMediaControl->Run();
    return true;
}

bool PlaybackChannel::Stop()
{
    if (!HasFile())
        return false;
    AwaitStart();
    pMediaControl->Stop();
    return true;
}

void PlaybackChannel::Rewind()
{
    if (loaded)
        SetPosition(0.0);
}

double PlaybackChannel::GetPosition()
{
    if (!HasFile())
        return 0.0;
    REFTIME position = 0.0;
    pMediaPos->get_CurrentPosition(&position);
    return position;
}

// A position before the start means the start. Handed on as it is, it sends
// Wine's graph off streaming towards zero from far in the past, swallowing
// gigabytes and stalling the agent.
void PlaybackChannel::SetPosition(double seconds)
{
    if (HasFile())
        pMediaPos->put_CurrentPosition(seconds < 0.0 ? 0.0 : seconds);
}

// The stop time is handed to the graph only; end-of-clip tests and looping
// compare with the duration.
void PlaybackChannel::SetStopTime(double seconds)
{
    if (HasFile())
        pMediaPos->put_StopTime(seconds);
}

double PlaybackChannel::GetDuration()
{
    if (!HasFile())
        return 0.0;
    REFTIME duration = 0.0;
    pMediaPos->get_Duration(&duration);
    return duration;
}

bool PlaybackChannel::IsPlaying()
{
    if (!HasFile())
        return false;
    return GraphState() == State_Running && !NearEnd();
}

bool PlaybackChannel::IsPausedOrDone()
{
    if (!HasFile())
        return false;
    return GraphState() == State_Paused || NearEnd();
}

bool PlaybackChannel::IsStopped()
{
    if (!HasFile())
        return false;
    return GraphState() == State_Stopped;
}

int PlaybackChannel::GetState()
{
    if (!HasFile())
        return -1;
    OAFilterState state = GraphState();
    if (state == State_Stopped)
        return 0;
    if (NearEnd())
        return 1;
    return static_cast<int>(state);
}

void PlaybackChannel::SetVolume(int percent)
{
    if (HasFile())
        pBasicAudio->put_Volume(PercentToAttenuation(percent));
}

// A failed read counts as silence.
int PlaybackChannel::GetVolume()
{
    if (!HasFile())
        return 0;
    long attenuation = -10000;
    pBasicAudio->get_Volume(&attenuation);
    return AttenuationToPercent(attenuation);
}

void PlaybackChannel::SetLoop(bool enabled)
{
    loop = enabled ? 1 : 0;
}

bool PlaybackChannel::GetLoop() const
{
    return loop != 0;
}

// Assumes: HasFile(). Wine answers a seek on a running graph with a pause, a
// flush of the renderer's unplayed audio and a fresh 200 ms start delay; a
// stop keeps that audio, and the next run plays it before the new pass.
void PlaybackChannel::Restart()
{
    Stop();
    SetPosition(0.0);
    Run();
}

// Assumes: called every 50 ms, and when a looping channel's end was due. A
// running channel is restarted; one that is not only goes back to the start,
// since the loop never starts what the host has not.
void PlaybackChannel::ServiceLoop()
{
    if (!HasFile() || !loop)
        return;
    double duration = GetDuration();
    double position = GetPosition();
    if (!(position >= duration))
        return;
    if (GraphState() != State_Running) {
        SetPosition(0.0);
        return;
    }
    Restart();
}

// Assumes: nothing. Only a running channel is restarted at its end, so only a
// running one needs waking for it; a position that is not a number never
// reaches the end.
bool PlaybackChannel::SecondsToWrap(double* seconds)
{
    if (!HasFile() || !loop || GraphState() != State_Running)
        return false;
    double duration = GetDuration();
    double position = GetPosition();
    if (std::isnan(duration - position))
        return false;
    *seconds = duration - position;
    return true;
}
