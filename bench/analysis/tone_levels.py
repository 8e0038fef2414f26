"""The level of one pure tone over time, window by window (Goertzel), so that
two tones mixed in one recording can be followed apart."""
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
