#include "playback/playback_channel.h"

#include <cstring>

#include "playback/agent_clock.h"
#include "playback/disk_file_path.h"
#include "playback/memory_file.h"
#include "playback/render_failure_report.h"
#include "playback/output_latency.h"
#include "playback/volume_curve.h"
#include "playback/widen_path.h"

namespace {

const double kEndMargin = 0.25;
const REFERENCE_TIME kMs = 10000;
// How far ahead of the clock a cued graph is started: time for its renderer
// to write the first samples it holds before they are due. Less, and the
// head of the sound is lost on Wine (10 ms: 2 ms of it, 0 ms: 12 ms).
const REFERENCE_TIME kStartLead = 20 * kMs;
// A graph that did not cue in time starts as IMediaControl::Run starts one
// under Wine, 200 ms ahead, by when it has almost always got its samples;
// never left silent.
const REFERENCE_TIME kUncuedStartLead = 200 * kMs;
// How long after a pass's last sound is due its renderer may still be
// handing it on: the platform's mixer moves in 10 ms steps. Stopping the
// graph earlier would cut the end of the pass.
const REFERENCE_TIME kMixSlack = 20 * kMs;

// Shared by both channels; only the agent's one thread opens files.
char pathBuffer[kPathCapacity];

// Logs the failed open of the path in the path buffer, widened as `wide`,
// and returns the failure's `code`.
long ReportedFailure(long code, const WCHAR* wide, int units)
{
    ReportRenderFailure(pathBuffer, wide, units, static_cast<DWORD>(code));
    return code;
}

void ConvertSlashes(char* path)
{
    for (; *path != '\0'; ++path) {
        if (*path == '/')
            *path = '\\';
    }
}

}  // namespace

PlaybackChannel::PlaybackChannel(FilterChoices& choices, KeptGraphs& kept)
    : current(0), loop(0), loaded(0), choices(&choices), kept(&kept), heldIdentityKnown(false),
      heldFile(NULL), lastOpenError(0), hostStart(0)
{
    heldPath[0] = '\0';
    CoInitialize(NULL);
    ShareAgentClock();
    kept.Join();
    graphs[0].Build();
}

// A channel that goes keeps nothing: the agent is ending.
PlaybackChannel::~PlaybackChannel()
{
    heldIdentityKnown = false;
    Close();
    kept->Leave();
    UnshareAgentClock();
    CoUninitialize();
}

// Assumes: `path` is NUL-terminated. Every open of another file, or of the
// held one changed on disk, starts from a fresh graph: a file rendered into a
// graph that already holds one plays alongside it, and graphs that keep
// growing with each open end up crashing the platform's decoder. The held
// file is kept in its own graphs instead, and a kept sound in the graph the
// set kept: every fresh graph's parser costs the process memory the platform
// never gives back (about 10 KB on Wine). The identity is read before the
// file is: a version written meanwhile counts as newer than the one noted,
// and is read afresh next time.
// The graph held so far is stopped, but let go of only once the new one is
// in: its renderer keeps the process's sound device open meanwhile. Under
// Wine a sound device opened afresh is heard 30-40 ms sooner than one that
// has run a while (recorded: 12-24 ms after a sample is due on a new
// device, 47-68 ms once it has run), so starts on a device reopened for
// every file would not keep time with the position the channel reports.
bool PlaybackChannel::OpenFile(const char* path)
{
    lastOpenError = 0;
    size_t length = strlen(path);
    bool fits = length < sizeof pathBuffer;
    if (fits) {
        memcpy(pathBuffer, path, length + 1);
        ConvertSlashes(pathBuffer);
        if (HoldsUnchanged(pathBuffer)) {
            for (PlaybackGraph& graph : graphs) {
                if (graph.Held())
                    graph.ReturnToFreshState();
            }
            return true;
        }
    }

    WCHAR wide[kPathCapacity];
    int units = fits ? WidenPath(pathBuffer, wide) : 0;
    DiskFileIdentity identity = {};
    bool identityKnown = fits && ReadDiskFileIdentity(wide, &identity);
    PlaybackGraph taken;
    MemoryFile* file = identityKnown ? kept->Take(wide, identity, &taken) : NULL;
    // The held file changed on disk: its graphs play a version that is gone.
    if (fits && strcmp(pathBuffer, heldPath) == 0)
        heldIdentityKnown = false;
    loaded = 0;
    int previous = current;
    if (graphs[previous].Held())
        graphs[previous].StopAt(0.0);
    GiveBack(graphs[1 - previous]);
    current = 1 - previous;
    bool rendered = file != NULL;
    if (rendered)
        Current().Swap(taken);
    else
        rendered = RenderFresh(path, fits, wide, units, &file);
    GiveBack(graphs[previous]);
    LetGoOfHeldFile();
    heldIdentity = identity;
    heldIdentityKnown = identityKnown;
    if (rendered)
        return Hold(pathBuffer, file);
    if (file)
        file->Release();
    return false;
}

// Assumes: the current graph is empty; `fits` tells whether `path` was
// copied, converted, into the path buffer, and widened as `wide` (`units`
// long). A short file is read whole into `*file` and played from memory, so
// that nothing holds it open; one that is not, or could not be read whole
// (it grew meanwhile), is read by the platform's file source, `*file` left
// NULL. A failure is logged and noted as the last open error.
bool PlaybackChannel::RenderFresh(const char* path, bool fits, const WCHAR* wide, int units,
                                  MemoryFile** file)
{
    *file = NULL;
    if (!Current().Build()) {
        lastOpenError = E_FAIL;
        return false;
    }
    if (!fits) {
        lastOpenError = static_cast<long>(ReportOverlongPath(path));
        return false;
    }
    if (!NamesDiskFile(wide)) {
        lastOpenError = ReportedFailure(static_cast<long>(GetLastError()), wide, units);
        return false;
    }
    if (FitsInMemory(wide))
        ReadMemoryFile(wide, file);
    HRESULT rendered = Current().Render(wide, *file, choices);
    if (FAILED(rendered)) {
        lastOpenError = ReportedFailure(rendered, wide, units);
        return false;
    }
    return true;
}

// Assumes: the current graph has just rendered `convertedPath`, from the
// bytes of `file` (its reference handed over) or from disk when NULL, and
// the file's identity has been noted.
bool PlaybackChannel::Hold(const char* convertedPath, MemoryFile* file)
{
    loaded = 1;
    memcpy(heldPath, convertedPath, strlen(convertedPath) + 1);
    heldFile = file;
    if (loop)
        PrepareSecondGraph();
    return true;
}

// Assumes: `convertedPath` fits the path buffer. Windows lets no one write
// to, rename or delete a file while a graph's file source holds it, but a
// file played from memory is not held by anyone; the identity catches what
// other processes do to it.
bool PlaybackChannel::HoldsUnchanged(const char* convertedPath)
{
    if (!HasFile() || !heldIdentityKnown || strcmp(convertedPath, heldPath) != 0)
        return false;
    WCHAR wide[kPathCapacity];
    WidenPath(convertedPath, wide);
    DiskFileIdentity now;
    return ReadDiskFileIdentity(wide, &now) && SameDiskFileIdentity(now, heldIdentity);
}

// Assumes: HasFile(). The loop's second graph, kept while the file is: for a
// sound played from memory, a kept graph of it, or one rendered from the
// same bytes, and given back with the first; for any other, rendered from
// the file once per open. Without it (it could not be had), the one graph
// loops alone, restarting at each end.
void PlaybackChannel::PrepareSecondGraph()
{
    PlaybackGraph& second = Other();
    if (second.Held())
        return;
    WCHAR wide[kPathCapacity];
    WidenPath(heldPath, wide);
    if (!TakeKept(&second) &&
        !(second.Build() && SUCCEEDED(second.Render(wide, heldFile, choices)))) {
        second.Release();
        return;
    }
    second.SetVolume(Current().Volume());
    if (Current().End() < Current().Duration())
        second.SetStopTime(Current().End());
}

// A kept graph of the held sound, moved into `into`.
bool PlaybackChannel::TakeKept(PlaybackGraph* into)
{
    if (!heldFile || !heldIdentityKnown)
        return false;
    MemoryFile* file = kept->Take(heldFile->Path(), heldIdentity, into);
    if (!file)
        return false;
    file->Release();
    return true;
}

// Assumes: nothing. `loaded` stays as it was: a closed channel is one
// without a graph.
void PlaybackChannel::Close()
{
    GiveBack(graphs[1]);
    GiveBack(graphs[0]);
    LetGoOfHeldFile();
}

void PlaybackChannel::LetGoOfHeldFile()
{
    if (heldFile)
        heldFile->Release();
    heldFile = NULL;
}

// A graph of a sound played from memory, whose version is known, is kept
// for the next open of it; any other is released, and with it whatever file
// its source holds open.
void PlaybackChannel::GiveBack(PlaybackGraph& graph)
{
    if (heldFile && heldIdentityKnown && graph.Held())
        kept->Give(&graph, heldFile, heldIdentity);
    graph.Release();
}

bool PlaybackChannel::HasFile()
{
    return loaded && Current().Held();
}

PlaybackGraph& PlaybackChannel::Current()
{
    return graphs[current];
}

PlaybackGraph& PlaybackChannel::Other()
{
    return graphs[1 - current];
}

PlaybackGraph& PlaybackChannel::Next()
{
    return Other().Held() ? Other() : Current();
}

// The graph whose sound is presented (or, when `heard`, heard) at `time`:
// of those started by then, the one started last; the current one when
// none was.
int PlaybackChannel::SoundingAt(REFERENCE_TIME time, bool heard)
{
    int sounding = current;
    REFERENCE_TIME latest = 0;
    bool found = false;
    for (int index = 0; index < 2; ++index) {
        const PlaybackGraph& graph = graphs[index];
        REFERENCE_TIME begins = heard ? graph.HeardTime() : graph.StartTime();
        if (!graph.Started() || begins > time)
            continue;
        if (!found || begins > latest) {
            sounding = index;
            latest = begins;
            found = true;
        }
    }
    return sounding;
}


// The pass presented at `now` becomes the current one.
void PlaybackChannel::Settle(REFERENCE_TIME now)
{
    if (Other().Held())
        current = SoundingAt(now, false);
}

// Assumes: HasFile().
bool PlaybackChannel::NearEnd()
{
    REFERENCE_TIME now = AgentClockNow();
    const PlaybackGraph& graph = graphs[SoundingAt(now, true)];
    return graph.HeardPositionAt(now) + kEndMargin >= graph.End();
}

// Assumes: HasFile(). A start the host asked for: the current graph cued at
// `position` and started as soon as its renderer can keep time, the loop's
// next pass scheduled behind it.
void PlaybackChannel::StartFrom(double position)
{
    bool cued = Current().Cue(position);
    REFERENCE_TIME start = AgentClockNow() + (cued ? kStartLead : kUncuedStartLead);
    Current().StartAt(start, OutputLatency());
    hostStart = start;
    if (loop && Other().Held())
        ScheduleNextPass();
}

// Assumes: the current graph is started. The next graph, cued at the start,
// is started at the reference time the current pass ends, so the two join
// where they meet; when that is too soon for it, as soon as it can keep
// time: a clip shorter than a cue and a lead still has every pass played
// whole, with a pause between.
void PlaybackChannel::ScheduleNextPass()
{
    REFERENCE_TIME join = Current().EndTime();
    PlaybackGraph& next = Next();
    bool cued = next.Cue(0.0);
    REFERENCE_TIME earliest = AgentClockNow() + (cued ? kStartLead : kUncuedStartLead);
    next.StartAt(join > earliest ? join : earliest, OutputLatency());
}

void PlaybackChannel::StopBoth(double at)
{
    if (Other().Held())
        Other().StopAt(0.0);
    Current().StopAt(at);
}

bool PlaybackChannel::Run()
{
    if (!HasFile())
        return false;
    if (!Current().Started())
        StartFrom(Current().From());
    return true;
}

// The sound stops where it was presented last: what the device holds still
// plays out (recorded under Wine: it ends within a few milliseconds of that
// position, 50 ms after the call).
bool PlaybackChannel::Stop()
{
    if (!HasFile())
        return false;
    REFERENCE_TIME now = AgentClockNow();
    Settle(now);
    StopBoth(Current().PresentedPositionAt(now));
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
    REFERENCE_TIME now = AgentClockNow();
    return graphs[SoundingAt(now, true)].HeardPositionAt(now);
}

// A position before the start means the start. Handed on as it is, it sends
// Wine's graph off streaming towards zero from far in the past, swallowing
// gigabytes and stalling the agent. A running channel plays on from the new
// position as soon as a start can be heard, whether or not it had finished.
void PlaybackChannel::SetPosition(double seconds)
{
    if (!HasFile())
        return;
    double position = seconds < 0.0 ? 0.0 : seconds;
    Settle(AgentClockNow());
    bool running = Current().Started();
    StopBoth(position);
    if (running)
        StartFrom(position);
}

// Wine answers a stop time set on a running graph with a pause and a run of
// its own, 200 ms later than the schedule: a running channel is stopped
// where it is, given the stop time and started again from there.
void PlaybackChannel::SetStopTime(double seconds)
{
    if (!HasFile())
        return;
    REFERENCE_TIME now = AgentClockNow();
    Settle(now);
    bool running = Current().Started();
    double position = Current().PresentedPositionAt(now);
    if (running)
        StopBoth(position);
    for (PlaybackGraph& graph : graphs) {
        if (graph.Held())
            graph.SetStopTime(seconds);
    }
    if (running)
        StartFrom(position);
}

double PlaybackChannel::GetDuration()
{
    if (!HasFile())
        return 0.0;
    return Current().Duration();
}

bool PlaybackChannel::IsPlaying()
{
    if (!HasFile())
        return false;
    return Current().State() == State_Running && !NearEnd();
}

bool PlaybackChannel::IsPausedOrDone()
{
    if (!HasFile())
        return false;
    return Current().State() == State_Paused || NearEnd();
}

bool PlaybackChannel::IsStopped()
{
    if (!HasFile())
        return false;
    return Current().State() == State_Stopped;
}

int PlaybackChannel::GetState()
{
    if (!HasFile())
        return -1;
    OAFilterState state = Current().State();
    if (state == State_Stopped)
        return 0;
    if (NearEnd())
        return 1;
    return static_cast<int>(state);
}

void PlaybackChannel::SetVolume(int percent)
{
    if (!HasFile())
        return;
    for (PlaybackGraph& graph : graphs) {
        if (graph.Held())
            graph.SetVolume(PercentToAttenuation(percent));
    }
}

int PlaybackChannel::GetVolume()
{
    if (!HasFile())
        return 0;
    return AttenuationToPercent(Current().Volume());
}

void PlaybackChannel::SetLoop(bool enabled)
{
    loop = enabled ? 1 : 0;
    if (!HasFile())
        return;
    REFERENCE_TIME now = AgentClockNow();
    Settle(now);
    if (enabled) {
        PrepareSecondGraph();
        if (Current().Started())
            ServiceLoop();
        return;
    }
    if (Other().Held() && Other().Started() && Other().StartTime() > now)
        Other().StopAt(0.0);
}

bool PlaybackChannel::GetLoop() const
{
    return loop != 0;
}

// Assumes: called every 50 ms, and when SecondsToService said so. A graph
// whose pass has been handed on whole is cued and scheduled for the pass
// after the one playing; a looping channel that is not running only goes
// back to the start from its end, since the loop never starts what the host
// has not.
void PlaybackChannel::ServiceLoop()
{
    if (!HasFile() || !loop)
        return;
    if (!Current().Started()) {
        if (Current().From() >= Current().End())
            Current().StopAt(0.0);
        return;
    }
    REFERENCE_TIME now = AgentClockNow();
    Settle(now);
    PlaybackGraph& next = Next();
    bool busy = next.Started() && now < next.EndTime() + kMixSlack;
    if (&next != &Current() && next.Started() && next.StartTime() > Current().StartTime())
        return;
    if (!busy)
        ScheduleNextPass();
}

// The next service is due when the older of the passes under way has been
// handed on whole; at once when the next pass is not scheduled at all.
bool PlaybackChannel::SecondsToService(double* seconds)
{
    if (!HasFile() || !loop || !Current().Started())
        return false;
    REFERENCE_TIME now = AgentClockNow();
    PlaybackGraph& next = Next();
    REFERENCE_TIME due = now;
    if (&next == &Current())
        due = Current().EndTime() + kMixSlack;
    else if (next.Started())
        due = (next.StartTime() < Current().StartTime() ? next : Current()).EndTime() + kMixSlack;
    *seconds = ReferenceToSeconds(due - now);
    return true;
}

double PlaybackChannel::SecondsUntilHeard()
{
    if (!HasFile() || !Current().Started())
        return 0.0;
    REFERENCE_TIME left = Current().HeardTime() - AgentClockNow();
    return left > 0 ? ReferenceToSeconds(left) : 0.0;
}

long PlaybackChannel::LastOpenError() const
{
    return lastOpenError;
}

// Every pass presented after the start the host asked for is a loop's.
void PlaybackChannel::ReadHeardPasses(HeardPasses* passes)
{
    bool held = HasFile();
    passes->looping = held && loop;
    for (int index = 0; index < 2; ++index)
        passes->pass[index] = held ? HeardPassOf(graphs[index], hostStart) : HeardPass();
}
