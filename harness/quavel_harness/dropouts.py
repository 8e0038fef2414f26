"""Glitches while two tones play on: a window where either tone falls well
under its usual level is a dropout."""
import statistics

from . import levels

# Volume changes under load move a tone by under 3 dB; a dropout is far more.
DROPOUT_DB = 10.0


def analyse(samples, rate, frequencies):
    """Dropouts between the first and the last window where every tone is
    heard: how many events (runs of windows) and how long in all."""
    tracks = [levels.levels_db(samples, rate, frequency) for frequency in frequencies]
    usual = [statistics.median(track) for track in tracks]
    heard = [all(track[index] > level - DROPOUT_DB for track, level in zip(tracks, usual))
             for index in range(len(tracks[0]))]
    if not any(heard):
        return {"error": "the tones were never heard together"}
    first = heard.index(True)
    last = len(heard) - 1 - heard[::-1].index(True)
    events = 0
    dropped = 0
    for index in range(first, last + 1):
        if not heard[index]:
            dropped += 1
            if heard[index - 1]:
                events += 1
    window_s = levels.WINDOW_S
    return {"events": events, "dropped_ms": 1000 * dropped * window_s,
            "analysed_s": (last - first + 1) * window_s}
