#include <gtest/gtest.h>

#include "support/scratch_directory.h"

// Agents and channels write their logs into this directory.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    EnterScratchDirectory("quavel-robustness");
    return RUN_ALL_TESTS();
}
