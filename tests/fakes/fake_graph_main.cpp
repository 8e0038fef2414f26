#include <windows.h>

#include <gtest/gtest.h>

#include "fakes/fake_clip_files.h"
#include "fakes/fake_filter_graph.h"
#include "fakes/fake_reference_clock.h"
#include "harness/scratch_directory.h"

// Unit tests of the agent's code against the fake filter graph, in a scratch
// directory of their own (named by the build) that holds the clip files.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Held for the whole run, so channels that uninitialise on destruction
    // never take the registered fake class object with them.
    CoInitialize(NULL);
    InstallFakeFilterGraph();
    InstallFakeReferenceClock();
    EnterScratchDirectory(QUAVEL_SCRATCH_DIRECTORY);
    PlaceFakeClipFiles();
    return RUN_ALL_TESTS();
}
