#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/bare_graph.h"
#include "integration/clip_kinds.h"
#include "playback/filter_chain.h"
#include "playback/filter_choices.h"
#include "playback/memory_render.h"
#include "playback/memory_source_filter.h"

// The memory source on the platform's own DirectShow, playing into the test
// sound device: each kind of file renders from memory through the same
// filters as through the platform's file source, plays, and leaves the file
// free once read.
namespace {

// The same parser reads the same bytes either way.
const double kSameDurationS = 0.001;
// Wine starts a graph 200 ms after Run and signals the end about 150 ms
// before the last sound is heard: the end comes about when the clip's
// length has passed, never long before.
const double kEarliestEndBeforeDurationS = 0.25;
const long kCompletionSlackMs = 5000;
const DWORD kStateBoundMs = 2000;
const DWORD kAdvanceMs = 300;

typedef ClipKindsTest MemorySourceOnWine;

IPin* OutputOf(IBaseFilter* filter)
{
    IPin* pin = NULL;
    filter->FindPin(kMemorySourcePinName, &pin);
    return pin;
}

// Runs `graph` until it signals its end; false when it reports anything
// else or takes far longer than the clip.
bool PlaysToTheEnd(BareGraph& graph, double* playedS)
{
    IMediaEvent* events = NULL;
    graph.Graph()->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events));
    if (!events)
        return false;
    DWORD start = GetTickCount();
    graph.Run();
    long code = 0;
    HRESULT waited = events->WaitForCompletion(
        static_cast<long>(graph.Duration() * 1000) + kCompletionSlackMs, &code);
    *playedS = (GetTickCount() - start) / 1000.0;
    events->Release();
    graph.Stop();
    return waited == S_OK && code == EC_COMPLETE;
}

TEST_F(MemorySourceOnWine, RendersEachKindThroughTheFiltersAndDurationOfRenderFile)
{
    for (const std::wstring& clip : clips) {
        SCOPED_TRACE(ClipName(clip));
        BareGraph disk;
        BareGraph memory;
        ASSERT_TRUE(disk.Build() && memory.Build());
        ASSERT_GE(disk.Graph()->RenderFile(clip.c_str(), NULL), 0);
        ASSERT_EQ(RenderFromMemory(memory.Graph(), clip.c_str()), S_OK);

        EXPECT_NEAR(memory.Duration(), disk.Duration(), kSameDurationS);
        FilterChain fromDisk;
        FilterChain fromMemory;
        ASSERT_TRUE(ReadFilterChain(disk.Graph(), &fromDisk));
        ASSERT_TRUE(ReadFilterChain(memory.Graph(), &fromMemory)) << "the source is not found";
        EXPECT_TRUE(SameFilterChain(fromMemory, fromDisk));
        EXPECT_EQ(fromMemory.count, fromDisk.count);
        RecordProperty(ClipName(clip) + "_duration_s", std::to_string(memory.Duration()));
    }
}

TEST_F(MemorySourceOnWine, PlaysEachKindToItsEnd)
{
    for (const std::wstring& clip : clips) {
        SCOPED_TRACE(ClipName(clip));
        BareGraph memory;
        ASSERT_TRUE(memory.Build());
        ASSERT_EQ(RenderFromMemory(memory.Graph(), clip.c_str()), S_OK);
        IMediaControl* control = NULL;
        memory.Graph()->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        ASSERT_TRUE(control);
        memory.Run();
        OAFilterState state = State_Stopped;
        EXPECT_EQ(control->GetState(kStateBoundMs, &state), S_OK);
        EXPECT_EQ(state, State_Running);
        control->Release();
        double before = memory.Position();
        Sleep(kAdvanceMs);
        EXPECT_GT(memory.Position(), before);
        memory.Stop();
        memory.SetPosition(0.0);

        double played = 0.0;
        EXPECT_TRUE(PlaysToTheEnd(memory, &played));
        EXPECT_GE(played, memory.Duration() - kEarliestEndBeforeDurationS);
    }
}

// Another program may rewrite the file while the graph plays what it read:
// the platform's file source holds it open and lets no one write it.
TEST_F(MemorySourceOnWine, LeavesTheFileFreeToRewriteWhileItPlays)
{
    for (const std::wstring& clip : clips) {
        SCOPED_TRACE(ClipName(clip));
        std::wstring copy = L"free" + clip.substr(clip.find_last_of(L'.'));
        ASSERT_TRUE(CopyFileW(clip.c_str(), copy.c_str(), FALSE));
        BareGraph disk;
        ASSERT_TRUE(disk.Build());
        ASSERT_GE(disk.Graph()->RenderFile(copy.c_str(), NULL), 0);
        HANDLE held = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(held, INVALID_HANDLE_VALUE) << "the check cannot tell a file held open";
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        disk.Release();

        BareGraph memory;
        ASSERT_TRUE(memory.Build());
        ASSERT_EQ(RenderFromMemory(memory.Graph(), copy.c_str()), S_OK);
        HANDLE writer = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, 0, NULL);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "the file is still held, error " << GetLastError();
        const char kOther[] = "not a sound any more";
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(writer, kOther, sizeof kOther, &written, NULL));
        CloseHandle(writer);

        double played = 0.0;
        EXPECT_TRUE(PlaysToTheEnd(memory, &played)) << "what was read plays on";
    }
}

// The channel offers a fresh graph the filters chosen last time for the
// kind of file, whichever source read it.
TEST_F(MemorySourceOnWine, OffersChoicesToRendersOfSourcePins)
{
    for (const std::wstring& clip : clips) {
        SCOPED_TRACE(ClipName(clip));
        FilterChoices choices;
        MemoryFile* file = NULL;
        ASSERT_EQ(ReadMemoryFile(clip.c_str(), &file), S_OK);
        for (int render = 0; render < 2; ++render) {
            BareGraph graph;
            ASSERT_TRUE(graph.Build());
            IPin* output = NULL;
            ASSERT_EQ(AddMemorySource(graph.Graph(), file, &output), S_OK);
            RenderRequest request = {clip.c_str(), output};
            if (render == 0)
                EXPECT_TRUE(RenderAndRemember(graph.Graph(), request, &choices));
            else
                EXPECT_EQ(RenderOfferingChoice(graph.Graph(), request, &choices), kRenderedAsOffered);
            output->Release();
        }
        file->Release();

        BareGraph disk;
        ASSERT_TRUE(disk.Build());
        EXPECT_EQ(RenderOfferingChoice(disk.Graph(), clip.c_str(), &choices), kRenderedAsOffered)
            << "a chain learnt from memory serves the file source too";
    }
}

// The graph's last release disconnects the parser, which lets go of the
// reader it held: nothing keeps the source alive after its graph.
TEST_F(MemorySourceOnWine, LeavesNoReferenceOnTheSourceAfterItsGraph)
{
    for (const std::wstring& clip : clips) {
        SCOPED_TRACE(ClipName(clip));
        MemoryFile* file = NULL;
        ASSERT_EQ(ReadMemoryFile(clip.c_str(), &file), S_OK);
        IBaseFilter* source = NULL;
        ASSERT_EQ(MemorySourceFilter::Create(file, &source), S_OK);
        file->Release();
        BareGraph graph;
        ASSERT_TRUE(graph.Build());
        ASSERT_EQ(graph.Graph()->AddFilter(source, clip.c_str()), S_OK);
        IPin* output = OutputOf(source);
        ASSERT_GE(graph.Graph()->Render(output), 0);
        output->Release();
        graph.Run();
        Sleep(kAdvanceMs);
        graph.Stop();
        graph.Release();
        EXPECT_EQ(source->Release(), 0u);
    }
}

}  // namespace
