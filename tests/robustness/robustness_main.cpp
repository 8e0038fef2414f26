#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "harness/scratch_directory.h"

// Agents and channels write their logs into this directory.
//
// After many thousands of graphs built and released in one process, Wine's
// media framework can fault while the process unloads it, after every graph
// is gone and every result is in. The run ends here instead, with the
// results' own exit code, so that a platform fault at unload cannot pass for
// one of the agent's.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    EnterScratchDirectory(QUAVEL_SCRATCH_DIRECTORY);
    int result = RUN_ALL_TESTS();
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
