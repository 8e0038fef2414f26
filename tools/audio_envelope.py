"""Sample generation and level analysis for recordings of the agent.

Pure standard library (wave, array, zlib): used by scripts/demo and by the
end-to-end audio checks, which run where numpy is not installed.
"""
import array
import math
import struct
import wave
import zlib

RATE = 44100
FULL_SCALE = 32767.0


def write_wav(path, frames):
    """Writes 16-bit stereo at RATE from a list-like of (left, right) floats in -1..1."""
    data = array.array("h")
    for left, right in frames:
        data.append(int(left * FULL_SCALE))
        data.append(int(right * FULL_SCALE))
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(data.tobytes())


def tone_frames(seconds, frequency, left=0.5, right=0.5):
    """A steady sine; a whole number of periods is computed once and repeated."""
    period = [math.sin(2 * math.pi * frequency * n / RATE) for n in range(RATE // 10)]
    count = int(seconds * RATE)
    return [(period[n % len(period)] * left, period[n % len(period)] * right) for n in range(count)]


def melody_frames(notes, note_seconds, level=0.5):
    """Notes (Hz) one after the other, each with a short attack and release."""
    frames = []
    length = int(note_seconds * RATE)
    ramp = int(0.01 * RATE)
    for frequency in notes:
        for n in range(length):
            shape = min(1.0, n / ramp, (length - n) / ramp)
            value = level * shape * math.sin(2 * math.pi * frequency * n / RATE)
            frames.append((value, value))
    return frames


def read_wav(path):
    """16-bit stereo samples of a recording, interleaved. The data chunk is read
    to the end of the file: a recorder stopped by a signal may leave its sizes
    unfinished."""
    with open(path, "rb") as source:
        content = source.read()
    offset = 12
    while offset + 8 <= len(content):
        tag, size = struct.unpack_from("<4sI", content, offset)
        offset += 8
        if tag == b"data":
            body = content[offset:]
            samples = array.array("h")
            samples.frombytes(body[: len(body) - len(body) % 4])
            return samples
        offset += size + (size & 1)
    raise ValueError(f"{path}: no data chunk")


def envelope(samples, window_ms):
    """RMS level per window, 0..1 of full scale, for the left and the right side."""
    window = int(RATE * window_ms / 1000)
    left, right = [], []
    for start in range(0, len(samples) // 2 - window + 1, window):
        chunk = samples[2 * start : 2 * (start + window)]
        left.append(math.sqrt(sum(v * v for v in chunk[0::2]) / window) / FULL_SCALE)
        right.append(math.sqrt(sum(v * v for v in chunk[1::2]) / window) / FULL_SCALE)
    return left, right


def decibels(level):
    return 20 * math.log10(max(level, 1e-5))


def write_envelope_png(path, sides, window_ms, floor_db=-80):
    """A plot of the level in dB over time: left side red, right side blue,
    grid lines every second and every 20 dB."""
    width, height = max(len(sides[0]), 1) * 2, 240
    pixels = [[(255, 255, 255)] * width for _ in range(height)]
    for seconds in range(0, int(width / 2 * window_ms / 1000) + 1):
        x = int(seconds * 1000 / window_ms) * 2
        for y in range(height):
            if x < width:
                pixels[y][x] = (220, 220, 220)
    for db in range(floor_db, 1, 20):
        y = int((db / floor_db) * (height - 1))
        pixels[y] = [(220, 220, 220)] * width
    colours = [(200, 30, 30), (30, 30, 200)]
    for side, colour in zip(sides, colours):
        for index, level in enumerate(side):
            y = int(min(decibels(level), 0) / floor_db * (height - 1))
            y = min(max(y, 0), height - 1)
            for x in (2 * index, 2 * index + 1):
                for dy in (0, 1):
                    pixels[min(y + dy, height - 1)][x] = colour
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in pixels)

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))
