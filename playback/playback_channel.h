#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/disk_file_identity.h"
#include "playback/filter_choices.h"
#include "playback/widen_path.h"

// One playback channel: a filter graph and the four interfaces the agent
// drives it through, plus the loop and loaded flags. Lives on the agent's one
// thread. Every transport, position, state and volume operation first checks
// that a file was loaded and that the graph exists, and otherwise does
// nothing and returns its no-file value.
class PlaybackChannel {
public:
    // Initialises the component runtime for this thread and builds the graph;
    // a failed build leaves a channel that answers like a closed one. Graphs
    // are offered the filters `choices` remembers for the kind of file.
    explicit PlaybackChannel(FilterChoices& choices = AgentFilterChoices());
    // Releases the graph, then uninitialises the component runtime.
    ~PlaybackChannel();

    // Renders `path` ("/" becomes "\") into a freshly built graph, replacing
    // whatever the channel held. Logs and returns false on failure. The file
    // the channel holds, unchanged on disk, is rewound in its graph instead,
    // which leaves the channel as a fresh open would.
    bool OpenFile(const char* path);
    // Drops the graph; the next OpenFile builds a fresh one.
    void Close();

    // Start / stop the graph; true once the guards pass, whatever the graph says.
    bool Run();
    bool Stop();
    // Back to the start, if a file was loaded.
    void Rewind();

    // Seconds; no file: 0.0 / no effect.
    double GetPosition();
    void SetPosition(double seconds);
    void SetStopTime(double seconds);
    double GetDuration();

    // Queries read the graph state with a zero timeout; "near the end" means
    // within 0.25 s of the duration.
    bool IsPlaying();
    bool IsPausedOrDone();
    bool IsStopped();
    // -1 no file, 0 stopped, 1 paused or finished, 2 playing.
    int GetState();

    // Percent on the fourth-root curve; no file: no effect / 0.
    void SetVolume(int percent);
    int GetVolume();

    // Survives Close and OpenFile.
    void SetLoop(bool enabled);
    bool GetLoop() const;

    // Called on every timer tick: wraps a looping channel that reached its
    // end, restarting it from the start if it was running.
    void ServiceLoop();
    // Seconds until a looping channel that is running reaches its end (zero
    // or less once it has), so that a wake-up can wrap it on time. False for
    // every other channel: closed, without a file, not looping, not running.
    bool SecondsToWrap(double* seconds);

private:
    PlaybackChannel(const PlaybackChannel&);
    PlaybackChannel& operator=(const PlaybackChannel&);

    void BuildGraph();
    void ReleaseAll();
    bool Render(const WCHAR* wide);
    void Hold(const char* convertedPath, const WCHAR* wide);
    bool HoldsUnchanged(const char* convertedPath);
    void ReturnToFreshState();
    bool HasFile() const;
    OAFilterState GraphState();
    bool NearEnd();
    void Restart();
    void AwaitStart();

    IGraphBuilder* pGraph;
    IMediaControl* pMediaControl;
    IMediaPosition* pMediaPos;
    IBasicAudio* pBasicAudio;
    unsigned char loop;
    unsigned char loaded;
    FilterChoices* choices;
    // The file the graph was rendered from (path as converted) and what it
    // was on disk then; an empty path when its identity could not be read.
    char heldPath[kPathCapacity];
    DiskFileIdentity heldIdentity;
};
