#include <gtest/gtest.h>

#include "support/scratch_directory.h"

// Agents inherit this directory, so their logs land where the tests read them.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    EnterScratchDirectory("quavel-robustness-live");
    return RUN_ALL_TESTS();
}
