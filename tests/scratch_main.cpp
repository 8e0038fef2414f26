#include <gtest/gtest.h>

#include "harness/scratch_directory.h"

// Each test program runs in a directory of its own, named by its build, and
// agents it starts inherit it: their logs land where the tests read them.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    EnterScratchDirectory(QUAVEL_SCRATCH_DIRECTORY);
    return RUN_ALL_TESTS();
}
