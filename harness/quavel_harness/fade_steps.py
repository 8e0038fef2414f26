"""The agent's fade-out as heard: channel 1 plays one tone, channel 2
another. Quitting stops channel 2 at once, just before the fade starts, so
the moment its tone ends marks the start; the fade ends when channel 1's
tone falls silent. Between the two, every level the fade holds long enough
to be heard is one step; the steps heard are compared in order with the
fourth-root curve."""
import statistics

from . import levels

# Channel 2's tone counts as stopped once it is this far under its level.
STOPPED_DROP_DB = 20.0
# Channel 1 counts as silent this far under its level before the fade: the
# fade's last step (2 percent) is about 62 dB down.
SILENT_DROP_DB = 80.0
# A recording dropout is not the end of the fade: silence must last.
SILENT_WINDOWS = 10
# Neighbouring steps at the top of the fade differ by 0.5 dB.
SAME_STEP_DB = 0.15
# Windows of 10 ms a level must hold to count as a step (steps last 100 ms).
SHORTEST_STEP_WINDOWS = 3
REFERENCE_S = 0.5
# A step this much louder than the one before is the fade going back up.
RISE_DB = 1.0


def fourth_root_db(percent):
    """Attenuation of `percent` on the agent's volume curve, in dB."""
    return 100.0 * ((percent / 100.0) ** 0.25 - 1.0)


def level_runs(levels):
    """Runs of windows holding one level, as (first window, count, level)."""
    runs = []
    for index, level in enumerate(levels):
        if runs and abs(level - runs[-1][2]) <= SAME_STEP_DB:
            first, count, mean = runs[-1]
            runs[-1] = (first, count + 1, mean + (level - mean) / (count + 1))
        else:
            runs.append((index, 1, level))
    return runs


def marker_end(marker_levels):
    """Index of the first window after channel 2's tone stopped for good."""
    reference = max(marker_levels)
    last_heard = max(index for index, level in enumerate(marker_levels)
                     if level > reference - STOPPED_DROP_DB)
    return last_heard + 1


def analyse(samples, rate, fade_hz, marker_hz, start_percent, step_percent):
    window_s = levels.WINDOW_S
    fade = levels.levels_db(samples, rate, fade_hz)
    start = marker_end(levels.levels_db(samples, rate, marker_hz))
    reference_windows = int(REFERENCE_S / window_s)
    before = statistics.median(fade[max(0, start - reference_windows):start])
    silent = [level < before - SILENT_DROP_DB for level in fade]
    end = next((index for index in range(start, len(fade) - SILENT_WINDOWS + 1)
                if all(silent[index:index + SILENT_WINDOWS])), None)
    if end is None:
        return {"error": "channel 1 never fell silent in the recording"}
    duration_s = (end - start) * window_s

    steps = [run for run in level_runs(fade[start:end]) if run[1] >= SHORTEST_STEP_WINDOWS]
    distinct = []
    rises = 0
    for _, _, level in steps:
        if not distinct or level < distinct[-1] - SAME_STEP_DB:
            distinct.append(level)
        elif level > distinct[-1] + RISE_DB:
            rises += 1

    percents = list(range(start_percent, 0, -step_percent))
    heard = list(zip(distinct, percents))
    deviations = [abs(level - before - fourth_root_db(percent)) for level, percent in heard]
    return {"duration_s": duration_s, "steps": len(distinct), "expected_steps": len(percents),
            "curve_max_deviation_db": max(deviations),
            "levels_not_heard": len(percents) - len(heard), "rises": rises,
            "last_level_heard_db": distinct[-1] - before, "start_level_db": before}
