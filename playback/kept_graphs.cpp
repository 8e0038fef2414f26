#include "playback/kept_graphs.h"

#include <cwchar>

namespace {

bool SamePath(const MemoryFile* file, const WCHAR* path)
{
    return wcscmp(file->Path(), path) == 0;
}

}  // namespace

KeptGraphs::KeptGraphs(int capacity)
    : capacity_(capacity < kKeptGraphs ? capacity : kKeptGraphs), count_(0), fileBytes_(0),
      uses_(0), members_(0)
{
}

KeptGraphs::~KeptGraphs()
{
    Clear();
}

void KeptGraphs::Join()
{
    ++members_;
}

void KeptGraphs::Leave()
{
    if (--members_ <= 0)
        Clear();
}

MemoryFile* KeptGraphs::Take(const WCHAR* path, const DiskFileIdentity& now, PlaybackGraph* into)
{
    DropStale(path, now);
    int found = -1;
    for (int i = 0; i < count_; ++i) {
        if (SamePath(entries_[i].file, path) &&
            (found < 0 || entries_[i].lastUse > entries_[found].lastUse))
            found = i;
    }
    if (found < 0)
        return NULL;
    MemoryFile* file = entries_[found].file;
    into->Swap(entries_[found].graph);
    Remove(found);
    return file;
}

// A file given back larger than the whole allowance is not kept at all.
void KeptGraphs::Give(PlaybackGraph* graph, MemoryFile* file, const DiskFileIdentity& identity)
{
    if (capacity_ == 0 || file->Size() > kKeptFileBytes) {
        graph->Release();
        return;
    }
    while (count_ == capacity_ || fileBytes_ + file->Size() > kKeptFileBytes)
        Drop(LeastRecentlyUsed());
    graph->ReturnToFreshState();
    Entry& entry = entries_[count_++];
    entry.graph.Swap(*graph);
    file->AddRef();
    entry.file = file;
    entry.identity = identity;
    entry.lastUse = ++uses_;
    fileBytes_ += file->Size();
}

void KeptGraphs::Clear()
{
    while (count_ > 0)
        Drop(count_ - 1);
}

int KeptGraphs::Count() const
{
    return count_;
}

DWORD KeptGraphs::FileBytes() const
{
    return fileBytes_;
}

void KeptGraphs::DropStale(const WCHAR* path, const DiskFileIdentity& now)
{
    for (int i = 0; i < count_;) {
        if (SamePath(entries_[i].file, path) && !SameDiskFileIdentity(entries_[i].identity, now))
            Drop(i);
        else
            ++i;
    }
}

// Assumes: count_ > 0.
int KeptGraphs::LeastRecentlyUsed() const
{
    int least = 0;
    for (int i = 1; i < count_; ++i) {
        if (entries_[i].lastUse < entries_[least].lastUse)
            least = i;
    }
    return least;
}

void KeptGraphs::Drop(int index)
{
    entries_[index].graph.Release();
    entries_[index].file->Release();
    Remove(index);
}

void KeptGraphs::Remove(int index)
{
    Entry& gone = entries_[index];
    fileBytes_ -= gone.file->Size();
    Entry& last = entries_[--count_];
    if (&gone != &last) {
        gone.graph.Swap(last.graph);
        gone.file = last.file;
        gone.identity = last.identity;
        gone.lastUse = last.lastUse;
    }
    last.file = NULL;
}

KeptGraphs& AgentKeptGraphs()
{
    static KeptGraphs kept;
    return kept;
}
