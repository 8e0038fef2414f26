#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/disk_file_identity.h"
#include "playback/filter_choices.h"
#include "playback/kept_graphs.h"
#include "playback/memory_file.h"
#include "playback/pass_events.h"
#include "playback/playback_graph.h"
#include "playback/widen_path.h"

// One playback channel: the graph of the file it plays (a second graph of
// the same file while it loops), and the loop and loaded flags. Lives on the
// agent's one thread. Every transport, position, state and volume operation
// first checks that a file was loaded and that the graph exists, and
// otherwise does nothing and returns its no-file value.
//
// Timing contract, the same on every platform: a start is heard from the
// position kept; the position is what is heard (the clock's time since the
// start is heard), so "near the end" means near the end of what is heard; a
// stop keeps the position where the sound stopped; a seek
// on a running channel plays on from there at once, finished or not; a loop
// joins its passes without a gap (each pass starts in the other graph at the
// time the last one ends). See PlaybackGraph for where the platform's own
// transport and position are replaced, and why.
class PlaybackChannel {
public:
    // Initialises the component runtime for this thread and builds the graph;
    // a failed build leaves a channel that answers like a closed one. Graphs
    // are offered the filters `choices` remembers for the kind of file, and
    // graphs of sounds played from memory go to `kept` once the channel is
    // done with them.
    explicit PlaybackChannel(FilterChoices& choices = AgentFilterChoices(),
                             KeptGraphs& kept = AgentKeptGraphs());
    // Releases the graphs, then uninitialises the component runtime.
    ~PlaybackChannel();

    // Renders `path` ("/" becomes "\\") into a freshly built graph, replacing
    // whatever the channel held: from memory when the file is short enough
    // (read whole and closed at once), else through the platform's file
    // source. Logs and returns false on failure. A file unchanged on disk
    // since the channel, or the kept set, last rendered it plays from that
    // graph instead, left as a fresh open would leave it.
    bool OpenFile(const char* path);
    // Lets go of the graphs: those of a sound played from memory go to the
    // kept set, the rest are released. The next OpenFile needs a graph again.
    void Close();
    // Why the last OpenFile failed: the open's Win32 error for a path
    // refused before the graph (the filename-too-long error for one too
    // long), the render's HRESULT for a file the graph refused, E_FAIL when
    // no graph could be built; 0 after a successful open and before any.
    long LastOpenError() const;

    // A stopped channel is started from its position; true once the guards
    // pass, whatever the graph says. A running one goes on as it is.
    bool Run();
    // Stops where the sound is; the next Run resumes there.
    bool Stop();
    // Back to the start, if a file was loaded.
    void Rewind();

    // Seconds; no file: 0.0 / no effect.
    double GetPosition();
    void SetPosition(double seconds);
    void SetStopTime(double seconds);
    double GetDuration();

    // Queries read the graph state with a zero timeout; "near the end" means
    // within 0.25 s of the end of what is heard (the stop time, or the
    // duration when that comes first).
    bool IsPlaying();
    bool IsPausedOrDone();
    bool IsStopped();
    // -1 no file, 0 stopped, 1 paused or finished, 2 playing.
    int GetState();

    // Percent on the fourth-root curve; no file: no effect / 0. Set on both
    // graphs of a loop, so that whichever sounds has it.
    void SetVolume(int percent);
    int GetVolume();

    // Survives Close and OpenFile. Turning it on during a pass schedules the
    // next one; turning it off lets the current pass end.
    void SetLoop(bool enabled);
    bool GetLoop() const;

    // Called on every timer tick, and when SecondsToService said so: cues
    // the graph whose pass has ended for the pass after the next.
    void ServiceLoop();
    // Seconds until a running looping channel next needs ServiceLoop (zero
    // or less once it does). False for every other channel: closed, without
    // a file, not looping, not running.
    bool SecondsToService(double* seconds);
    // Seconds until the start of a running channel is heard; 0 when it
    // already is, or the channel is not running.
    double SecondsUntilHeard();
    // The passes under way as they are heard, for telling a host of ends
    // and wraps (see pass_events.h); none started without a file.
    void ReadHeardPasses(HeardPasses* passes);

private:
    PlaybackChannel(const PlaybackChannel&);
    PlaybackChannel& operator=(const PlaybackChannel&);

    bool HasFile();
    PlaybackGraph& Current();
    PlaybackGraph& Other();
    // The graph that plays the pass after the current one: the other, or
    // the current again when there is no other.
    PlaybackGraph& Next();
    int SoundingAt(REFERENCE_TIME time, bool heard);
    void Settle(REFERENCE_TIME now);
    bool NearEnd();
    void StartFrom(double position);
    void ScheduleNextPass();
    void StopBoth(double at);
    void PrepareSecondGraph();
    bool TakeKept(PlaybackGraph* into);
    bool RenderFresh(const char* path, bool fits, const WCHAR* wide, int units, MemoryFile** file);
    bool Hold(const char* convertedPath, MemoryFile* file);
    bool HoldsUnchanged(const char* convertedPath);
    void GiveBack(PlaybackGraph& graph);
    void LetGoOfHeldFile();

    PlaybackGraph graphs[2];
    int current;
    unsigned char loop;
    unsigned char loaded;
    FilterChoices* choices;
    KeptGraphs* kept;
    // The file the graphs were rendered from (path as converted) and what it
    // was on disk just before; `heldIdentityKnown` false when its identity
    // could not be read, so that opening it again renders it afresh.
    char heldPath[kPathCapacity];
    DiskFileIdentity heldIdentity;
    bool heldIdentityKnown;
    // Its bytes when it plays from memory (referenced), else NULL.
    MemoryFile* heldFile;
    long lastOpenError;
    // When the start the host last asked for is presented.
    REFERENCE_TIME hostStart;
};
