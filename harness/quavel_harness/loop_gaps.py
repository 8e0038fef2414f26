"""Loop wraps heard in a recording of a looped linear chirp.

Each period of the chirp tells, by its frequency, which moment of the clip is
playing; the difference between recording time and clip time (the offset)
stays constant while the clip plays on. A wrap is where it jumps: the silence
is the time between the last audio of one pass and the first of the next,
and the missing audio is the clip's tail not heard before it plus its head
not heard after it (negative when audio is heard twice)."""
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


def longest_silence_s(samples, rate, start_s, end_s):
    longest = run = 0
    for value in samples[int(start_s * rate):int(end_s * rate) + 1]:
        run = run + 1 if abs(value) <= NOISE_LEVEL else 0
        longest = max(longest, run)
    return longest / rate


def missing_s(silence_s, offset_jump_s, clip_s):
    """Clip audio skipped going from one pass to the next: the offset grows
    by the silence less the audio skipped, modulo the clip. A jump back
    within the clip is audio heard twice, so it counts negative."""
    skipped = (silence_s - offset_jump_s) % clip_s
    return skipped - clip_s if skipped > clip_s / 2 else skipped


def wrap_gaps(samples, rate, start_hz, end_hz, clip_s):
    """The loop as heard: silence and missing audio (ms) at every wrap, and
    how many times the loop failed to wrap within one clip length (a silence
    that long, or a recording that ends in silence after a finished pass)."""
    found = passes(clip_offsets(samples, rate, start_hz, end_hz, clip_s))
    silences_ms, missing_ms = [], []
    for (_, last, offset), (first, _, next_offset) in zip(found, found[1:]):
        silence = longest_silence_s(samples, rate, last, first)
        silences_ms.append(1000 * silence)
        missing_ms.append(1000 * missing_s(silence, next_offset - offset, clip_s))
    missed = sum(1 for silence in silences_ms if silence > 1000 * clip_s)
    if found:
        _, last, offset = found[-1]
        finished = last - offset >= clip_s - SAME_PASS_S
        if finished and len(samples) / rate - last > clip_s:
            missed += 1
    return {"passes": len(found), "wraps": len(silences_ms), "silences_ms": silences_ms,
            "missing_ms": missing_ms, "missed": missed}
