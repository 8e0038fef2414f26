"""Fade accuracy: HC_Quit with channel 1 playing at 100 percent (one tone)
and channel 2 playing another; the quit stops channel 2 at once, which marks
the fade's start in the recording.

The last step (2 percent, 62 dB down) is cut short: the agent releases its
graphs 100 ms after setting it, and the audio still queued in the renderer
then is never played. So one step may go unheard; every step heard must lie
on the curve."""
import time

from quavel_harness import fade_steps, signals
from runner import verdict

FADE_HZ, MARKER_HZ = signals.CHANNEL_HZ
EXPECTED_S = 5.0
TOLERANCE = 0.05
START_PERCENT = 100
STEP_PERCENT = 2
CURVE_LIMIT_DB = 1.0
PLAY_BEFORE_QUIT_S = 1.5
EXIT_BOUND_S = 60


def measure(session, agent_process, fade_path, marker_path):
    session.quavelctl("open", fade_path)
    session.quavelctl("--channel", "2", "open", marker_path)
    session.quavelctl("set-volume", str(START_PERCENT))
    with session.recorder("fade.wav") as recorder:
        session.quavelctl("run")
        session.quavelctl("--channel", "2", "run")
        time.sleep(PLAY_BEFORE_QUIT_S)
        session.quavelctl("quit")
        agent_process.wait(timeout=EXIT_BOUND_S)
    rate, samples = recorder.read_mono()
    result = fade_steps.analyse(samples, rate, FADE_HZ, MARKER_HZ, START_PERCENT, STEP_PERCENT)
    if "error" in result:
        return [verdict.check_row("fade", "", float("nan"), None, "heard", False, result)]
    duration = result["duration_s"]
    fewest_steps = result["expected_steps"] - 1
    steps_right = (result["steps"] >= fewest_steps
                   and result["curve_max_deviation_db"] <= CURVE_LIMIT_DB)
    return [
        verdict.check_row("fade duration", "s", duration, EXPECTED_S,
                          f"within {TOLERANCE:.0%} of {EXPECTED_S}",
                          abs(duration - EXPECTED_S) <= TOLERANCE * EXPECTED_S, result),
        verdict.check_row("fade level steps", "steps", result["steps"], result["expected_steps"],
                          f">= {fewest_steps} of {result['expected_steps']}, "
                          f"each within {CURVE_LIMIT_DB} dB of the curve", steps_right, result),
    ]
