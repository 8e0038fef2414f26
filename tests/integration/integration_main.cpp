#include <gtest/gtest.h>

#include "support/scratch_directory.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    EnterScratchDirectory("quavel-integration");
    return RUN_ALL_TESTS();
}
