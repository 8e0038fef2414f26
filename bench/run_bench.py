#!/usr/bin/env python3
"""Runs every benchmark in one Wine session and prints the table.

  run_bench.py --arch ARCH --bin DIR --state DIR [--quick] [--output FILE]

The agent and the baseline programs run in the bench's own Wine prefix and
play into its own sound device; every row's baseline is measured in the same
run, so ratios hold on a noisy shared machine."""
import argparse
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "harness"))

from quavel_harness import signals, wav  # noqa: E402
from quavel_harness.wine import WineSession  # noqa: E402
from runner import counts, cpu_time, machine, report, verdict  # noqa: E402
from runner.rows import (fade, idle, load, loop_gap, open_cost, open_file, rewrite,  # noqa: E402
                         round_trip, startup, timing, told_end)

# Long enough that no row's playing file reaches its end.
LONG_S = 240
OPEN_S = 10
# A short sound of the kind hosts play again and again.
COST_S = 0.2
# How many such sounds a host plays in turn: as many as the agent keeps.
KEPT_SOUNDS = 8
# Over the agent's memory limit (2 MB) as a 16-bit stereo WAV: streamed
# from disk, its file held open while its graph lives.
LARGE_S = 13
TONE_AMPLITUDE = 0.4
MARKER_AMPLITUDE = 0.2
CHIRP_AMPLITUDE = 0.5
WINDOW_WAIT_S = 60
# Time for a bare window to start and load its graphs under Wine.
BARE_SETTLE_S = 5
# Loaded and stopped, the channels' graphs must cost no more than the same
# graphs held bare: a cued start must not make idle dearer.
LOADED_IDLE_LIMIT = 1.10


def write_signals(session):
    low_hz, high_hz = signals.CHANNEL_HZ
    low = signals.tone(low_hz, LONG_S, TONE_AMPLITUDE)
    wav.write(session.file("open.wav"), [low[:OPEN_S * signals.RATE]] * 2, signals.RATE)
    short = [low[:int(COST_S * signals.RATE)]] * 2
    wav.write(session.file("cost.wav"), short, signals.RATE)
    wav.write_au(session.file("cost.au"), short, signals.RATE)
    for index in range(KEPT_SOUNDS):
        sound = signals.tone(signals.CHANNEL_HZ[0] + 100 * index, COST_S, TONE_AMPLITUDE)
        wav.write(session.file(kept_name(index)), [sound] * 2, signals.RATE)
    wav.write(session.file("rewrite.wav"), short, signals.RATE)
    wav.write(session.file("large.wav"), [low[:LARGE_S * signals.RATE]] * 2, signals.RATE)
    wav.write(session.file("long_low.wav"), [low], signals.RATE)
    wav.write(session.file("long_high.wav"), [signals.tone(high_hz, LONG_S, MARKER_AMPLITUDE)],
              signals.RATE)
    for clip_s, name in loop_gap.CLIPS:
        wav.write(session.file(name), [signals.chirp(*signals.CHIRP_HZ, clip_s, CHIRP_AMPLITUDE)],
                  signals.RATE)


def kept_name(index):
    return f"kept{index}.wav"


def check_pid(process, program):
    """CPU time is read by Linux pid: the launcher must have become the
    program itself."""
    if not cpu_time.running_program(process.pid, program):
        raise RuntimeError(f"pid {process.pid} is not {program}")


def start_bare_window(session, *arguments):
    """A bare window, returned once it is up with its graphs loaded (the
    memory probe succeeds only once the agent's and the bare window exist)."""
    bare = session.start("bare_window.exe", *arguments)
    deadline = time.monotonic() + WINDOW_WAIT_S
    while not session.succeeds("process_memory.exe"):
        if time.monotonic() > deadline:
            raise RuntimeError("the agent or the bare window did not appear")
        time.sleep(1)
    time.sleep(BARE_SETTLE_S)
    check_pid(bare, "bare_window.exe")
    return bare


def run_rows(session, scale):
    rows, profiles = [], {}
    path = session.windows_path
    if session.succeeds("quavelctl.exe", "ping"):
        raise RuntimeError("an agent is already serving in the bench's Wine session")
    print("start to ready ...", flush=True)
    rows += startup.measure(session, scale)

    agent = session.start_agent()
    check_pid(agent, "quavel.exe")
    print("idle cost ...", flush=True)
    bare = start_bare_window(session, "--graphs", 2)
    rows += idle.measure(session, scale, agent.pid, bare, "no files", "two empty graphs")
    bare.stop()
    session.quavelctl("open", path("long_low.wav"))
    session.quavelctl("--channel", "2", "open", path("long_high.wav"))
    bare = start_bare_window(session, "--graphs", 2, "--render", path("long_low.wav"))
    loaded = idle.measure(session, scale, agent.pid, bare, "both channels loaded, stopped",
                          f"two graphs with a {LONG_S} s WAV loaded, stopped", LOADED_IDLE_LIMIT)
    rows += loaded
    # Played once each, as a host plays them: their graphs are kept as used.
    for index in range(KEPT_SOUNDS):
        session.quavelctl("open", path(kept_name(index)))
        session.quavelctl("run")
    session.quavelctl("open", path("long_low.wav"))
    time.sleep(BARE_SETTLE_S)
    rows += idle.measure_kept(session, scale, agent.pid, bare, loaded[0], KEPT_SOUNDS)
    bare.stop()

    print("open file ...", flush=True)
    session.quavelctl("close")
    rows += open_file.measure(session, scale, path("open.wav"))

    print("round trips ...", flush=True)
    session.quavelctl("open", path("long_low.wav"))
    session.quavelctl("run")
    plain = session.start("bare_window.exe")
    graph = session.start("bare_window.exe", "--graphs", 1, "--render", path("long_low.wav"),
                          "--run", 1, "--graph-replies", 1)
    time.sleep(BARE_SETTLE_S)
    rows += round_trip.measure(session, scale, LONG_S)
    graph.stop()
    profiles["command_in_process"] = round_trip.profile(session, scale, path("long_low.wav"))

    print("under load ...", flush=True)
    rows += load.measure(session, scale, LONG_S)
    plain.stop()
    session.quavelctl("stop")
    session.quavelctl("close")
    session.quavelctl("--channel", "2", "stop")
    session.quavelctl("--channel", "2", "close")

    print("sound on cue ...", flush=True)
    rows += timing.measure(session, scale)

    print("loop gap ...", flush=True)
    rows += loop_gap.measure(session, scale)

    print("open cost ...", flush=True)
    rows += open_cost.measure(session, scale, path("cost.wav"), path("cost.au"),
                              [path(kept_name(index)) for index in range(KEPT_SOUNDS)])

    print("rewrite ...", flush=True)
    rows += rewrite.measure(session, scale, path("rewrite.wav"), path("large.wav"))

    print("told on time ...", flush=True)
    rows += told_end.measure(session, scale)

    print("fade ...", flush=True)
    rows += fade.measure(session, agent, path("long_low.wav"), path("long_high.wav"))
    return rows, profiles


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", required=True, choices=["i686", "x86_64"])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--output")
    options = parser.parse_args()

    scale = counts.QUICK if options.quick else counts.FULL
    session = WineSession.in_state(options.arch, options.state, options.bin,
                                   os.path.join(options.state, "bench-work"))
    write_signals(session)
    described = machine.describe(options.arch)
    session.sound_device("start")
    session.wine_server("keep")
    try:
        rows, profiles = run_rows(session, scale)
    finally:
        session.close()
        session.wine_server("end")
        session.sound_device("stop")

    print(f"architecture run: {options.arch} ({described['architecture_why']})")
    print(report.table(rows))
    if options.output:
        report.write(options.output, described, "quick" if options.quick else "full", rows,
                     profiles)
        print(f"results: {options.output}")
    missed = [row.metric for row in rows if row.verdict == verdict.MISS]
    if missed:
        print(f"targets missed: {len(missed)} of "
              f"{sum(1 for row in rows if row.verdict != verdict.INFO)}")


if __name__ == "__main__":
    main()
