"""Levels over time, window by window: of everything heard (RMS), or of one
pure tone (Goertzel), so that two tones mixed in one recording can be
followed apart."""
import math

WINDOW_S = 0.01
# Below any level the bench plays: 16-bit silence reads far under this.
FLOOR_DB = -120.0


def window_length(rate):
    return int(round(WINDOW_S * rate))


def levels_db(samples, rate, frequency):
    """dB of full scale of `frequency` in consecutive 10 ms windows. Tones at
    whole multiples of 100 Hz fit whole cycles in a window, so they do not
    leak into each other."""
    size = window_length(rate)
    coefficient = 2 * math.cos(2 * math.pi * frequency / rate)
    levels = []
    for start in range(0, len(samples) - size + 1, size):
        previous = before = 0.0
        for value in samples[start:start + size]:
            previous, before = value + coefficient * previous - before, previous
        power = previous * previous + before * before - coefficient * previous * before
        amplitude = 2 * math.sqrt(max(power, 0.0)) / size
        levels.append(20 * math.log10(amplitude) if amplitude > 0 else FLOOR_DB)
    return [max(level, FLOOR_DB) for level in levels]


def decibels(level):
    """dB of full scale of a level in 0..1 (silence reads FLOOR_DB)."""
    return max(20 * math.log10(level), FLOOR_DB) if level > 0 else FLOOR_DB


def rms(samples, rate, window_s):
    """RMS level (0..1 of full scale) of consecutive windows of `window_s`."""
    size = int(round(window_s * rate))
    return [math.sqrt(sum(value * value for value in samples[start:start + size]) / size)
            for start in range(0, len(samples) - size + 1, size)]
