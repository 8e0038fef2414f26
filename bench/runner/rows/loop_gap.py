"""Loop gap: a 1 s chirp looped on channel 1, beside a bare program that
polls the same graph every 5 ms and restarts it at its end. The same bare
program polling once a tick profiles how much of the agent's gap its 50 ms
tick explains."""
import statistics
import time

from quavel_harness import loop_gaps, signals
from runner import verdict

TICK_MS = 50
CLIP_S = 1.0
START_HZ, END_HZ = signals.CHIRP_HZ
FLOOR_POLL_MS = 5
START_BOUND_S = 60


def heard(recorder):
    rate, samples = recorder.read_mono()
    return loop_gaps.wrap_gaps(samples, rate, START_HZ, END_HZ, CLIP_S)


def bare_loop(session, counts, clip_path, poll_ms, name):
    """The bare program plays a little longer than it is recorded, so the
    recording never hears it stop."""
    with session.recorder(name) as recorder:
        process = session.start("bare_loop.exe", "--file", clip_path,
                                "--seconds", counts.loop_s + 2, "--poll-ms", poll_ms)
        if not process.wait_for_line("playing", START_BOUND_S):
            raise RuntimeError("bare_loop did not start playing")
        time.sleep(counts.loop_s)
    process.wait()
    return heard(recorder)


def agent_loop(session, counts, clip_path):
    session.quavelctl("open", clip_path)
    session.quavelctl("set-loop", "1")
    with session.recorder("loop_agent.wav") as recorder:
        session.quavelctl("run")
        time.sleep(counts.loop_s)
    session.quavelctl("stop")
    session.quavelctl("set-loop", "0")
    session.quavelctl("close")
    return heard(recorder)


def summary(result):
    silences, missing = result["silences_ms"], result["missing_ms"]
    return {"wraps": result["wraps"], "missed": result["missed"],
            "median_silence_ms": statistics.median(silences) if silences else None,
            "max_silence_ms": max(silences) if silences else None,
            "median_missing_ms": statistics.median(missing) if missing else None,
            "silences_ms": silences, "missing_ms": missing}


def measure(session, counts, clip_path):
    floor = summary(bare_loop(session, counts, clip_path, FLOOR_POLL_MS, "loop_floor.wav"))
    agent = summary(agent_loop(session, counts, clip_path))
    details = {"agent": agent, "floor": floor,
               "profile_bare_polling_every_tick": summary(
                   bare_loop(session, counts, clip_path, TICK_MS, "loop_bare_tick.wav"))}
    if agent["median_silence_ms"] is None or floor["median_silence_ms"] is None:
        return [verdict.check_row("loop gap median", "ms", float("nan"),
                                  floor["median_silence_ms"], "wraps heard", False, details)]
    limit = floor["median_silence_ms"] + TICK_MS
    every_wrap = agent["wraps"] > 0 and agent["missed"] == 0
    return [
        verdict.check_row("loop gap (silence) median", "ms", agent["median_silence_ms"],
                          floor["median_silence_ms"], f"<= floor + {TICK_MS} ms ({limit:.0f})",
                          agent["median_silence_ms"] <= limit, details),
        verdict.info_row("loop audio missing at a wrap, median", "ms",
                         agent["median_missing_ms"], floor["median_missing_ms"]),
        verdict.check_row("loop wraps heard", "wraps", agent["wraps"], floor["wraps"],
                          "every wrap happens", every_wrap,
                          {"missed": agent["missed"], "max_silence_ms": agent["max_silence_ms"],
                           "floor_max_silence_ms": floor["max_silence_ms"]}),
    ]
