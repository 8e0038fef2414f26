"""Test signals the checks and the bench play, as mono float samples."""
import math

RATE = 44100
# One tone per channel, so that two channels mixed in one recording can be
# followed apart; whole multiples of 100 Hz fit whole cycles in the level
# analysis's 10 ms windows.
CHANNEL_HZ = (400, 1500)
# The sweep whose instantaneous frequency tells which moment of a clip is
# playing: how loop wraps are measured.
CHIRP_HZ = (200, 4200)
# A clip of that sweep played from its start shows its first whole period
# this far in: a start heard later into the clip lost its head.
CHIRP_FIRST_PERIOD_S = 0.0075


def tone(frequency, seconds, amplitude, rate=RATE):
    """A sine of `frequency` Hz at `amplitude` of full scale. A whole number
    of hertz fits whole cycles in a second: that second is computed once and
    repeated, which keeps long files quick to make."""
    count = int(seconds * rate)
    step = 2 * math.pi * frequency / rate
    length = min(count, rate if float(frequency).is_integer() else count)
    block = [amplitude * math.sin(step * index) for index in range(length)]
    repeats = count // length + 1 if length else 0
    return (block * repeats)[:count]


def chirp(start_hz, end_hz, seconds, amplitude, rate=RATE):
    """A linear sweep from `start_hz` to `end_hz`."""
    slope = (end_hz - start_hz) / seconds
    samples = []
    for index in range(int(seconds * rate)):
        t = index / rate
        samples.append(amplitude * math.sin(2 * math.pi * (start_hz * t + slope * t * t / 2)))
    return samples


def melody(notes, note_seconds, amplitude, rate=RATE):
    """Notes (Hz) one after the other, each with a short attack and release."""
    samples = []
    length = int(note_seconds * rate)
    ramp = int(0.01 * rate)
    for frequency in notes:
        step = 2 * math.pi * frequency / rate
        samples += [amplitude * min(1.0, n / ramp, (length - n) / ramp) * math.sin(step * n)
                    for n in range(length)]
    return samples


def silence(seconds, rate=RATE):
    return [0.0] * int(seconds * rate)
