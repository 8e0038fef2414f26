#pragma once

#include <string>

// Writes a 16-bit stereo 44.1 kHz PCM WAV holding a 440 Hz tone.
void WriteToneWav(const std::string& path, double seconds);

// The same tone as a Sun/NeXT AU file (big-endian 16-bit linear PCM): a
// second format, parsed by other code than a WAV's.
void WriteToneAu(const std::string& path, double seconds);
