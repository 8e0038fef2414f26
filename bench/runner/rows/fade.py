"""Fade accuracy: HC_Quit with channel 1 playing at 100 percent (one tone)
and channel 2 playing another; the quit stops channel 2 at once, which marks
the fade's start in the recording."""
import time

from analysis import fade_steps, recording
from runner import verdict

FADE_HZ = 400
MARKER_HZ = 1500
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
    samples, rate = recording.read_mono(recorder.path)
    result = fade_steps.analyse(samples, rate, FADE_HZ, MARKER_HZ, START_PERCENT, STEP_PERCENT)
    if "error" in result:
        return [verdict.check_row("fade", "", float("nan"), None, "heard", False, result)]
    duration = result["duration_s"]
    steps_right = result["steps"] == result["expected_steps"]
    curve_right = (result["curve_max_deviation_db"] <= CURVE_LIMIT_DB
                   and result["levels_not_heard"] == 0)
    return [
        verdict.check_row("fade duration", "s", duration, EXPECTED_S,
                          f"within {TOLERANCE:.0%} of {EXPECTED_S}",
                          abs(duration - EXPECTED_S) <= TOLERANCE * EXPECTED_S, result),
        verdict.check_row("fade level steps", "steps", result["steps"], result["expected_steps"],
                          f"exactly {result['expected_steps']}, or curve within "
                          f"{CURVE_LIMIT_DB} dB", steps_right or curve_right, result),
    ]
