#pragma once

#include <string>

// Writes a 16-bit stereo 44.1 kHz PCM WAV holding a 440 Hz tone.
void WriteToneWav(const std::string& path, double seconds);
