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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from analysis import signals  # noqa: E402
from runner import counts, machine, report, verdict  # noqa: E402
from runner import cpu_time  # noqa: E402
from runner.rows import fade, idle, load, loop_gap, open_cost, open_file, round_trip, startup  # noqa: E402
from runner.wine_session import WineSession  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_LOADERS = {"i686": "/usr/lib/wine/wine", "x86_64": "/usr/lib/wine/wine64"}
# Long enough that no row's playing file reaches its end.
LONG_S = 240
OPEN_S = 10
# A short sound of the kind hosts play again and again.
COST_S = 0.2
TONE_AMPLITUDE = 0.4
MARKER_AMPLITUDE = 0.2
CHIRP_AMPLITUDE = 0.5
WINDOW_WAIT_S = 60
# Time for a bare window to start and load its graphs under Wine.
PROFILE_SETTLE_S = 5


def write_signals(work):
    """Whole-cycle tones repeat a one-second block, which is quick to make."""
    low = signals.tone(fade.FADE_HZ, 1.0, TONE_AMPLITUDE)
    high = signals.tone(fade.MARKER_HZ, 1.0, MARKER_AMPLITUDE)
    signals.write_wav(os.path.join(work, "open.wav"), low * OPEN_S, channels=2)
    short = signals.tone(fade.FADE_HZ, COST_S, TONE_AMPLITUDE)
    signals.write_wav(os.path.join(work, "cost.wav"), short, channels=2)
    signals.write_au(os.path.join(work, "cost.au"), short, channels=2)
    signals.write_wav(os.path.join(work, "long_low.wav"), low * LONG_S)
    signals.write_wav(os.path.join(work, "long_high.wav"), high * LONG_S)
    signals.write_wav(os.path.join(work, "chirp.wav"),
                      signals.chirp(loop_gap.START_HZ, loop_gap.END_HZ, loop_gap.CLIP_S,
                                    CHIRP_AMPLITUDE))


def check_pid(process, program):
    """CPU time is read by Linux pid: the launcher must have become the
    program itself."""
    if not cpu_time.running_program(process.pid, program):
        raise RuntimeError(f"pid {process.pid} is not {program}")


def wait_for_both_windows(session):
    """The memory probe succeeds only once the agent's and the bare window
    both exist."""
    deadline = time.monotonic() + WINDOW_WAIT_S
    while not session.succeeds("process_memory.exe"):
        if time.monotonic() > deadline:
            raise RuntimeError("the agent or the bare window did not appear")
        time.sleep(1)


def run_rows(session, scale):
    rows, profiles = [], {}
    path = session.windows_path
    if session.succeeds("quavelctl.exe", "ping"):
        raise RuntimeError("an agent is already serving in the bench's Wine session")
    print("start to ready ...", flush=True)
    rows += startup.measure(session, scale)

    agent = session.start("quavel.exe")
    bare = session.start("bare_window.exe")
    wait_for_both_windows(session)
    check_pid(agent, "quavel.exe")
    check_pid(bare, "bare_window.exe")

    print("idle cost ...", flush=True)
    rows += idle.measure(session, scale, agent.pid, bare.pid, "no files")
    session.quavelctl("open", path("long_low.wav"))
    session.quavelctl("--channel", "2", "open", path("long_high.wav"))
    profile = session.start("bare_window.exe", "--graphs", "2", "--render", path("long_low.wav"))
    time.sleep(PROFILE_SETTLE_S)
    check_pid(profile, "bare_window.exe")
    rows += idle.measure(session, scale, agent.pid, bare.pid, "both channels loaded, stopped",
                         profile)

    print("open file ...", flush=True)
    session.quavelctl("close")
    rows += open_file.measure(session, scale, path("open.wav"))

    print("round trips ...", flush=True)
    session.quavelctl("open", path("long_low.wav"))
    session.quavelctl("run")
    rows += round_trip.measure(session, scale, LONG_S)
    profiles["command_in_process"] = round_trip.profile(session, scale, path("long_low.wav"))

    print("under load ...", flush=True)
    rows += load.measure(session, scale, LONG_S)
    session.quavelctl("stop")
    session.quavelctl("close")
    session.quavelctl("--channel", "2", "stop")
    session.quavelctl("--channel", "2", "close")

    print("loop gap ...", flush=True)
    rows += loop_gap.measure(session, scale, path("chirp.wav"))

    print("open cost ...", flush=True)
    rows += open_cost.measure(session, scale, path("cost.wav"), path("cost.au"))

    print("fade ...", flush=True)
    rows += fade.measure(session, agent, path("long_low.wav"), path("long_high.wav"))
    return rows, profiles


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", required=True, choices=sorted(WINE_LOADERS))
    parser.add_argument("--bin", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--output")
    options = parser.parse_args()

    scale = counts.QUICK if options.quick else counts.FULL
    work = os.path.join(os.path.abspath(options.state), "bench-work")
    os.makedirs(work, exist_ok=True)
    write_signals(work)
    described = machine.describe(options.arch, WINE_LOADERS[options.arch])
    session = WineSession(ROOT, options.arch, os.path.abspath(options.bin),
                          os.path.abspath(options.state), work)
    session.sound_device("start")
    session.wine_server("keep")
    try:
        rows, profiles = run_rows(session, scale)
    finally:
        session.close()
        session.wine_server("end")
        session.sound_device("stop")

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
