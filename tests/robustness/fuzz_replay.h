#pragma once

#include <cstdint>

// The number this run's messages derive from: QUAVEL_FUZZ_REPLAY when set (to
// replay a failure), otherwise a fresh one. Every failure message carries it.
uint32_t FuzzReplayNumber();

// How many messages a fuzzing run sends: QUAVEL_FUZZ_MESSAGES or `fallback`.
int FuzzMessageCount(int fallback);
