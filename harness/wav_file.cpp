#include "harness/wav_file.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

const int kRate = 44100;
const int kChannels = 2;
const int kBytesPerSample = 2;

void Put32(std::ofstream& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Put16(std::ofstream& out, uint16_t value)
{
    out.put(static_cast<char>(value & 0xFF));
    out.put(static_cast<char>(value >> 8));
}

}  // namespace

void WriteToneWav(const std::string& path, double seconds)
{
    const uint32_t frames = static_cast<uint32_t>(seconds * kRate);
    const uint32_t dataBytes = frames * kChannels * kBytesPerSample;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, kChannels);
    Put32(out, kRate);
    Put32(out, kRate * kChannels * kBytesPerSample);
    Put16(out, kChannels * kBytesPerSample);
    Put16(out, 8 * kBytesPerSample);
    out.write("data", 4);
    Put32(out, dataBytes);
    const double step = 2.0 * 3.14159265358979323846 * 440.0 / kRate;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        int16_t sample = static_cast<int16_t>(12000.0 * std::sin(step * frame));
        for (int channel = 0; channel < kChannels; ++channel)
            Put16(out, static_cast<uint16_t>(sample));
    }
}
