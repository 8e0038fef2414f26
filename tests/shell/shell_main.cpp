#include <windows.h>

#include <gtest/gtest.h>

#include "fakes/fake_clip_files.h"
#include "fakes/fake_filter_graph.h"
#include "support/scratch_directory.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Held for the whole run so the fake class object outlives every channel.
    CoInitialize(NULL);
    InstallFakeFilterGraph();
    EnterScratchDirectory("quavel-shell-unit");
    PlaceFakeClipFiles();
    return RUN_ALL_TESTS();
}
