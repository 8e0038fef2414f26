#pragma once

#include <windows.h>

#include "playback/disk_file_identity.h"
#include "playback/memory_file.h"
#include "playback/playback_graph.h"

// Graphs of sounds played from memory that no channel holds any more, kept
// stopped and ready for the next open of the same file. Every fresh graph
// costs the process memory its parser never gives back (about 9 KB on
// Wine), so a host that plays a few short sounds again and again would
// otherwise grow without end. A kept graph holds no file open: its source
// reads the bytes it was given.
//
// Bounded by count and by the bytes of the files they play; the graph given
// back least recently makes room first. Shared by both channels, on the
// agent's one thread: a graph is either in the set or held by one channel,
// never both, since it only ever moves by PlaybackGraph::Swap.
const int kKeptGraphs = 8;
// Four files at the memory limit, or dozens of typical short sounds.
const DWORD kKeptFileBytes = 4 * kMemoryFileLimit;

class KeptGraphs {
public:
    // At most `capacity` graphs (no more than kKeptGraphs): 0 keeps none.
    explicit KeptGraphs(int capacity = kKeptGraphs);
    ~KeptGraphs();

    // Each channel joins while it lives, after its CoInitialize, and leaves
    // before its CoUninitialize: the last to leave releases every graph, so
    // none outlives the component runtime.
    void Join();
    void Leave();

    // Moves a kept graph of `path`, read when the file was as `now` says,
    // into `into` (an empty graph) and returns its file, referenced for the
    // caller. NULL, `into` untouched, when none is kept; graphs of an older
    // version of the file are dropped on the way, never played.
    MemoryFile* Take(const WCHAR* path, const DiskFileIdentity& now, PlaybackGraph* into);
    // Keeps `graph`, rendered from `file` when the file was as `identity`
    // says, returned to what a fresh render leaves (stopped at the start,
    // stopping at the end, full volume); `graph` is left empty.
    void Give(PlaybackGraph* graph, MemoryFile* file, const DiskFileIdentity& identity);
    void Clear();

    int Count() const;
    // The bytes of the files the kept graphs play.
    DWORD FileBytes() const;

private:
    KeptGraphs(const KeptGraphs&);
    KeptGraphs& operator=(const KeptGraphs&);

    struct Entry {
        PlaybackGraph graph;
        MemoryFile* file;
        DiskFileIdentity identity;
        unsigned long lastUse;
    };

    void DropStale(const WCHAR* path, const DiskFileIdentity& now);
    int LeastRecentlyUsed() const;
    // Releases the entry's graph and file.
    void Drop(int index);
    // Forgets the entry: the last one takes its place.
    void Remove(int index);

    Entry entries_[kKeptGraphs];
    int capacity_;
    int count_;
    DWORD fileBytes_;
    unsigned long uses_;
    int members_;
};

// The agent's set, shared by both channels.
KeptGraphs& AgentKeptGraphs();
