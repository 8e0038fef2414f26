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

void Put32BigEndian(std::ofstream& out, uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Put16BigEndian(std::ofstream& out, uint16_t value)
{
    out.put(static_cast<char>(value >> 8));
    out.put(static_cast<char>(value & 0xFF));
}

uint32_t Frames(double seconds)
{
    return static_cast<uint32_t>(seconds * kRate);
}

// Every channel of frame `frame` carries this sample.
int16_t ToneSample(uint32_t frame)
{
    const double step = 2.0 * 3.14159265358979323846 * 440.0 / kRate;
    return static_cast<int16_t>(12000.0 * std::sin(step * frame));
}

}  // namespace

void WriteToneWav(const std::string& path, double seconds)
{
    const uint32_t frames = Frames(seconds);
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
    for (uint32_t frame = 0; frame < frames; ++frame) {
        int16_t sample = ToneSample(frame);
        for (int channel = 0; channel < kChannels; ++channel)
            Put16(out, static_cast<uint16_t>(sample));
    }
}

void WriteToneAu(const std::string& path, double seconds)
{
    const uint32_t kHeaderBytes = 24;
    const uint32_t kLinear16 = 3;
    const uint32_t frames = Frames(seconds);
    std::ofstream out(path, std::ios::binary);
    out.write(".snd", 4);
    Put32BigEndian(out, kHeaderBytes);
    Put32BigEndian(out, frames * kChannels * kBytesPerSample);
    Put32BigEndian(out, kLinear16);
    Put32BigEndian(out, kRate);
    Put32BigEndian(out, kChannels);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        int16_t sample = ToneSample(frame);
        for (int channel = 0; channel < kChannels; ++channel)
            Put16BigEndian(out, static_cast<uint16_t>(sample));
    }
}
