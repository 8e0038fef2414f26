"""16-bit PCM WAV files: the one reader for recordings and the one writer for
generated samples; and the same samples as an AU file, a second format that
the platform parses with other code than a WAV's."""
import array
import struct
import sys

FULL_SCALE = 32768.0
HEADER_BYTES = 44
AU_HEADER_BYTES = 24
AU_LINEAR_16 = 3


def read(path):
    """(rate, channels): the samples of each channel as floats in -1..1.

    The data chunk's size is trusted only when the file holds that much: a
    recorder that is stopped may leave it unfinished, and then the data runs
    to the end of the file."""
    with open(path, "rb") as source:
        content = source.read()
    if content[:4] != b"RIFF" or content[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    offset, rate, count = 12, None, None
    while offset + 8 <= len(content):
        tag, size = struct.unpack_from("<4sI", content, offset)
        offset += 8
        if tag == b"fmt ":
            encoding, count, rate = struct.unpack_from("<HHI", content, offset)
            bits = struct.unpack_from("<H", content, offset + 14)[0]
            if encoding != 1 or bits != 16:
                raise ValueError(f"{path}: not 16-bit PCM")
        elif tag == b"data":
            if rate is None:
                raise ValueError(f"{path}: data before format")
            end = offset + size if 0 < size <= len(content) - offset else len(content)
            frame = 2 * count
            body = content[offset:end - (end - offset) % frame]
            pcm = array.array("h")
            pcm.frombytes(body)
            return rate, [array.array("d", (value / FULL_SCALE for value in pcm[side::count]))
                          for side in range(count)]
        offset += size + (size & 1)
    raise ValueError(f"{path}: no data chunk")


def read_mono(path):
    """(rate, samples) with every channel averaged: for recordings whose
    channels carry the same signal, or signals told apart by frequency."""
    rate, channels = read(path)
    if len(channels) == 1:
        return rate, channels[0]
    scale = 1.0 / len(channels)
    return rate, array.array("d", (sum(frame) * scale for frame in zip(*channels)))


def pcm16(channels):
    """Interleaved 16-bit samples of `channels` (sequences of floats in -1..1,
    all as long)."""
    count = len(channels)
    pcm = array.array("h", bytes(2 * count * len(channels[0])))
    for side, samples in enumerate(channels):
        pcm[side::count] = array.array(
            "h", (max(-32768, min(32767, int(round(value * 32767)))) for value in samples))
    return pcm


def write(path, channels, rate):
    """`channels`: one sequence of floats in -1..1 per channel, all as long."""
    count = len(channels)
    body = pcm16(channels).tobytes()
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(body), b"WAVE", b"fmt ", 16, 1,
                         count, rate, rate * 2 * count, 2 * count, 16, b"data", len(body))
    with open(path, "wb") as output:
        output.write(header)
        output.write(body)


def write_au(path, channels, rate):
    """The same as an AU file: big-endian 16-bit linear PCM."""
    pcm = pcm16(channels)
    if sys.byteorder == "little":
        pcm.byteswap()
    body = pcm.tobytes()
    with open(path, "wb") as output:
        output.write(b".snd" + struct.pack(">5I", AU_HEADER_BYTES, len(body), AU_LINEAR_16, rate,
                                           len(channels)))
        output.write(body)
