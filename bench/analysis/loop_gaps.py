"""Loop wraps heard in a recording of a looped linear chirp.

Each period of the chirp tells, by its frequency, which moment of the clip is
playing; the difference between recording time and clip time (the offset)
stays constant while the clip plays on and grows by one clip length at a
seamless wrap. Whatever it grows by beyond that is the wrap's gap: silence or
repeated audio when positive, audio skipped when negative."""
import statistics

# Consecutive periods whose offsets differ by more than this belong to
# different passes through the clip.
SAME_PASS_S = 0.02
# A pass shorter than this is debris from the splice, not playback.
SHORTEST_PASS_S = 0.1
# Hysteresis around zero, so noise in silence makes no crossings.
NOISE_LEVEL = 0.01


def rising_crossings(samples, rate):
    """Times (s) where the signal rises through zero, interpolated between
    samples."""
    times = []
    armed = False
    previous = 0.0
    for index, value in enumerate(samples):
        if value < -NOISE_LEVEL:
            armed = True
        elif armed and value >= 0.0 and previous < 0.0:
            times.append((index - 1 + previous / (previous - value)) / rate)
            armed = False
        previous = value
    return times


def clip_offsets(samples, rate, start_hz, end_hz, clip_s):
    """(recording time, offset) for every chirp period that maps into the
    clip."""
    slope = (end_hz - start_hz) / clip_s
    longest_period = 1.5 / start_hz
    crossings = rising_crossings(samples, rate)
    offsets = []
    for first, second in zip(crossings, crossings[1:]):
        period = second - first
        if period > longest_period:
            continue
        clip_time = (1.0 / period - start_hz) / slope
        if -SAME_PASS_S <= clip_time <= clip_s + SAME_PASS_S:
            middle = (first + second) / 2
            offsets.append((middle, middle - clip_time))
    return offsets


def passes(offsets):
    """Runs of periods sharing one offset, splice debris dropped and the runs
    it split joined again; each as (first time, last time, offset)."""
    runs = []
    for time, offset in offsets:
        if runs and abs(offset - runs[-1][2][0]) <= SAME_PASS_S:
            runs[-1][1] = time
            runs[-1][2].append(offset)
        else:
            runs.append([time, time, [offset]])
    joined = []
    for first, last, run_offsets in runs:
        if last - first < SHORTEST_PASS_S:
            continue
        offset = statistics.median(run_offsets)
        if joined and abs(offset - joined[-1][2]) <= SAME_PASS_S:
            joined[-1] = (joined[-1][0], last, joined[-1][2])
        else:
            joined.append((first, last, offset))
    return joined


def wrap_gaps(samples, rate, start_hz, end_hz, clip_s):
    """The loop as heard: gaps (ms) of every wrap, and how many times the
    loop failed to wrap within one clip length (a gap that long, or a
    recording that ends in silence after a finished pass)."""
    found = passes(clip_offsets(samples, rate, start_hz, end_hz, clip_s))
    gaps_ms = [1000 * (after[2] - before[2] - clip_s) for before, after in zip(found, found[1:])]
    missed = sum(1 for gap in gaps_ms if gap > 1000 * clip_s)
    if found:
        last_first, last_end, last_offset = found[-1]
        finished = last_end - last_offset >= clip_s - SAME_PASS_S
        if finished and len(samples) / rate - last_end > clip_s:
            missed += 1
    return {"passes": len(found), "wraps": len(gaps_ms), "gaps_ms": gaps_ms, "missed": missed}
