#pragma once

#include <cstdint>

// The seed for this run: QUAVEL_FUZZ_SEED when set (to replay a failure),
// otherwise a fresh one. Every failure message carries it.
uint32_t FuzzSeed();

// How many messages a fuzzing run sends: QUAVEL_FUZZ_MESSAGES or `fallback`.
int FuzzMessageCount(int fallback);
