"""Test signals the bench plays, written as 16-bit PCM WAV (or AU) files."""
import array
import math
import struct
import sys
import wave

RATE = 44100
FULL_SCALE = 32767
AU_HEADER_BYTES = 24
AU_LINEAR_16 = 3


def tone(frequency, seconds, amplitude, rate=RATE):
    """A sine of `frequency` Hz at `amplitude` of full scale, as floats."""
    step = 2 * math.pi * frequency / rate
    return [amplitude * math.sin(step * index) for index in range(int(seconds * rate))]


def chirp(start_hz, end_hz, seconds, amplitude, rate=RATE):
    """A linear sweep: its instantaneous frequency tells where in the clip a
    moment of audio comes from, which is how loop gaps are measured."""
    slope = (end_hz - start_hz) / seconds
    samples = []
    for index in range(int(seconds * rate)):
        t = index / rate
        samples.append(amplitude * math.sin(2 * math.pi * (start_hz * t + slope * t * t / 2)))
    return samples


def to_pcm(samples):
    return array.array("h", (int(round(value * FULL_SCALE)) for value in samples))


def write_wav(path, samples, channels=1, rate=RATE):
    """`samples` are mono floats; stereo files carry them on both channels."""
    pcm = to_pcm(samples)
    if channels == 2:
        stereo = array.array("h", bytes(len(pcm) * 4))
        stereo[0::2] = pcm
        stereo[1::2] = pcm
        pcm = stereo
    with wave.open(path, "wb") as output:
        output.setnchannels(channels)
        output.setsampwidth(2)
        output.setframerate(rate)
        output.writeframes(pcm.tobytes())


def write_au(path, samples, channels=1, rate=RATE):
    """The same as a Sun/NeXT AU file: big-endian 16-bit linear PCM, a second
    format that the platform parses with other code than a WAV's."""
    pcm = array.array("h", (value for value in to_pcm(samples) for _ in range(channels)))
    if sys.byteorder == "little":
        pcm.byteswap()
    data = pcm.tobytes()
    with open(path, "wb") as output:
        output.write(b".snd" + struct.pack(">5I", AU_HEADER_BYTES, len(data), AU_LINEAR_16, rate,
                                           channels))
        output.write(data)
