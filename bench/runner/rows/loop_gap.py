"""Loop gap: a 1 s and a 0.3 s chirp looped on channel 1. Every wrap is
measured as the audio lost and the silence heard (negative: heard twice, or
overlapping). The baseline is a bare program that loops with two graphs of
the file, run alternately the moment the playing one reaches its end: what
the platform allows a loop. Beside it, as information, the floor of a loop
in one graph: a bare program that restarts the graph at its end."""
import statistics
import time

from quavel_harness import loop_gaps, signals
from runner import verdict

# (clip length in seconds, file name); short clips stress the wrap's timing.
CLIPS = ((1.0, "chirp.wav"), (0.3, "chirp_short.wav"))
POLL_MS = 5
# The joins are gapless: the medians within a sample or two of nothing, and
# no join off by more than the platform's mixer step (10 ms) and a little.
MEDIAN_LIMIT_MS = 2
WORST_LIMIT_MS = 12
# Recorded per expected wrap beyond the clip itself, so that even a loop with
# long gaps is heard wrapping as often as asked.
WRAP_ALLOWANCE_S = 0.3
# The bare programs play on past the recording, so it never hears them stop.
PLAY_PAST_S = 2
START_BOUND_S = 60


def heard(recorder, clip_s):
    rate, samples = recorder.read_mono()
    return loop_gaps.wrap_gaps(samples, rate, *signals.CHIRP_HZ, clip_s)


def record_s(counts, clip_s):
    return (counts.loop_wraps + 2) * (clip_s + WRAP_ALLOWANCE_S)


def bare_program(session, counts, program, clip_s, clip_path, name):
    seconds = record_s(counts, clip_s)
    with session.recorder(name) as recorder:
        process = session.start(program, "--file", clip_path,
                                "--seconds", int(seconds + PLAY_PAST_S), "--poll-ms", POLL_MS)
        if not process.wait_for_line("playing", START_BOUND_S):
            raise RuntimeError(f"{program} did not start playing")
        time.sleep(seconds)
    process.wait()
    result = heard(recorder, clip_s)
    result["program"] = process.report()
    return result


def agent_loop(session, counts, clip_s, clip_path, name):
    session.quavelctl("open", clip_path)
    session.quavelctl("set-loop", "1")
    with session.recorder(name) as recorder:
        session.quavelctl("run")
        time.sleep(record_s(counts, clip_s))
    session.quavelctl("stop")
    session.quavelctl("set-loop", "0")
    session.quavelctl("close")
    return heard(recorder, clip_s)


def summary(result):
    silences, missing = result["silences_ms"], result["missing_ms"]
    figures = {"wraps": result["wraps"], "missed": result["missed"],
               "median_silence_ms": statistics.median(silences) if silences else None,
               "max_silence_ms": max(silences) if silences else None,
               "median_missing_ms": statistics.median(missing) if missing else None,
               "silences_ms": silences, "missing_ms": missing}
    if "program" in result:
        figures["program"] = result["program"]
    return figures


def worst_join_ms(result):
    """The largest silence or overlap at any join."""
    values = result["silences_ms"] + [abs(value) for value in result["missing_ms"]]
    return max(values) if values else None


def at_most(value, limit):
    return value is not None and abs(value) <= limit


def clip_rows(session, counts, clip_s, clip_name):
    clip_path = session.windows_path(clip_name)
    tag = f"{clip_s:.1f} s"
    recorded = f"{clip_s:.1f}s.wav"
    agent = summary(agent_loop(session, counts, clip_s, clip_path, "loop_agent_" + recorded))
    two = summary(bare_program(session, counts, "bare_two_graph_loop.exe", clip_s, clip_path,
                               "loop_two_graphs_" + recorded))
    floor = summary(bare_program(session, counts, "bare_loop.exe", clip_s, clip_path,
                                 "loop_floor_" + recorded))
    agent["worst_ms"], two["worst_ms"] = worst_join_ms(agent), worst_join_ms(two)
    details = {"clip_s": clip_s, "agent": agent, "two_graphs": two, "restart_floor": floor,
               "baseline": "bare program alternating two graphs of the file"}
    every_wrap = agent["missed"] == 0 and agent["wraps"] >= counts.loop_wraps
    return [
        verdict.check_row(f"loop {tag}: lost per wrap, median", "ms", agent["median_missing_ms"],
                          two["median_missing_ms"], f"<= {MEDIAN_LIMIT_MS} ms",
                          at_most(agent["median_missing_ms"], MEDIAN_LIMIT_MS), details),
        verdict.check_row(f"loop {tag}: silence per wrap, median", "ms",
                          agent["median_silence_ms"], two["median_silence_ms"],
                          f"<= {MEDIAN_LIMIT_MS} ms",
                          at_most(agent["median_silence_ms"], MEDIAN_LIMIT_MS)),
        verdict.check_row(f"loop {tag}: worst silence or overlap", "ms", agent["worst_ms"],
                          two["worst_ms"], f"<= {WORST_LIMIT_MS} ms",
                          at_most(agent["worst_ms"], WORST_LIMIT_MS)),
        verdict.check_row(f"loop {tag}: wraps heard", "wraps", agent["wraps"], two["wraps"],
                          f"no wrap missed, >= {counts.loop_wraps}", every_wrap,
                          {"missed": agent["missed"], "baseline_missed": two["missed"]}),
        verdict.info_row(f"loop {tag}: silence per wrap, restart at the end", "ms",
                         agent["median_silence_ms"], floor["median_silence_ms"]),
    ]


def measure(session, counts):
    rows = []
    for clip_s, clip_name in CLIPS:
        rows += clip_rows(session, counts, clip_s, clip_name)
    return rows
