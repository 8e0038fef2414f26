#!/usr/bin/env python3
"""The demo, end to end: the agent headless under Wine plays a melody it is
given on channel 1 while the progress is shown, loops a short blip on
channel 2, quits with the fade-out, and what the sound device heard is kept
as a WAV file with a plot of its level beside it.

  demo.py --arch ARCH --tree DIR     (scripts/demo builds and runs it)
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from quavel_harness import levels, signals, wav  # noqa: E402
from quavel_harness.wine import WineSession  # noqa: E402

NOTES = [262, 294, 330, 349, 392, 440, 494, 523, 494, 440, 392, 349, 330, 294, 262, 330, 392, 523]
NOTE_S = 0.5
BLIP_HZ = 880
BLIP_S = 0.3
BLIP_VOLUME = 60
WINDOW_S = 0.05
HEARD = 0.003
PROGRESS_WIDTH = 40
FLOOR_DB = -80


def write_samples(session):
    """Melody on the left, blip on the right: the plot shows the two
    channels apart."""
    melody = signals.melody(NOTES, NOTE_S, 0.5)
    blip = signals.tone(BLIP_HZ, BLIP_S, 0.5)
    wav.write(session.file("melody.wav"), [melody, signals.silence(len(melody) / signals.RATE)],
              signals.RATE)
    wav.write(session.file("blip.wav"), [signals.silence(BLIP_S), blip], signals.RATE)


def show_progress(session, duration):
    """Channel 1's position through the first third of the melody: the rest
    outlasts the 5 s fade."""
    while True:
        position = session.ask("position")
        filled = position * PROGRESS_WIDTH // duration
        print(f"\r  channel 1  {position / 100:6.2f} / {duration / 100:.2f} s  "
              f"[{'#' * filled}{'.' * (PROGRESS_WIDTH - filled)}]", end="", flush=True)
        if position >= duration // 3:
            print()
            return
        time.sleep(0.2)


def play(session, recording):
    """Drives the agent; returns the moments (in the recording, seconds) of
    what it was told and did."""
    marks = {"agent start": recording.recorded_s()}
    agent = session.start_agent()
    if session.quavelctl("open", session.windows_path("melody.wav")) != "1":
        raise RuntimeError("channel 1 could not open the melody")
    if session.quavelctl("--channel", "2", "open", session.windows_path("blip.wav")) != "1":
        raise RuntimeError("channel 2 could not open the blip")
    marks["open"] = recording.recorded_s()
    session.quavelctl("--channel", "2", "set-volume", BLIP_VOLUME)
    session.quavelctl("--channel", "2", "set-loop", 1)
    duration = session.ask("duration")
    session.quavelctl("run")
    session.quavelctl("--channel", "2", "run")
    marks["run"] = recording.recorded_s()
    print("demo: channel 1 plays the melody, channel 2 loops the blip")
    show_progress(session, duration)

    print("demo: quit: channel 2 stops at once, channel 1 fades out in 2 % steps every 100 ms")
    session.quavelctl("quit")
    marks["quit"] = recording.recorded_s()
    code = agent.wait()
    marks["exit"] = recording.recorded_s()
    print(f"demo: the agent exited with {code}")
    return marks


def fade_start(right, marks):
    """Where channel 2 fell silent after the quit: the agent stops it just
    before the fade begins."""
    first = int(marks["quit"] / WINDOW_S)
    silent = next((index for index in range(first, len(right)) if right[index] < HEARD), first)
    return silent * WINDOW_S


def summary(sides):
    for name, side in zip(("channel 1 (left)", "channel 2 (right)"), sides):
        heard = [index for index, level in enumerate(side) if level > HEARD]
        if not heard:
            print(f"demo: {name}: nothing heard")
            continue
        print(f"demo: {name}: heard from {heard[0] * WINDOW_S:.1f} s to "
              f"{heard[-1] * WINDOW_S:.1f} s of the recording, peak "
              f"{levels.decibels(max(side)):.1f} dBFS")


def plot(path, sides, marks):
    """Level in dBFS over seconds from the agent's start, both channels,
    the moments marked, trimmed to the agent's activity."""
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot

    origin = marks["agent start"]
    start, end = origin - 0.5, marks["exit"] + 1.0
    figure, axes = pyplot.subplots(figsize=(11, 4.5))
    for side, label, colour in zip(sides, ("channel 1 (left): melody",
                                           "channel 2 (right): looped blip"),
                                   ("tab:red", "tab:blue")):
        points = [(index * WINDOW_S - origin, max(levels.decibels(level), FLOOR_DB))
                  for index, level in enumerate(side) if start <= index * WINDOW_S <= end]
        axes.plot([t for t, _ in points], [db for _, db in points], label=label, color=colour,
                  linewidth=1.2)
    # Labels alternate in height: the quit and the fade's start are
    # moments apart.
    for number, (name, moment) in enumerate(sorted(marks.items(), key=lambda mark: mark[1])):
        axes.axvline(moment - origin, color="grey", linestyle="--", linewidth=0.8)
        axes.annotate(name, (moment - origin, 0), xytext=(3, -6 - 70 * (number % 2)),
                      textcoords="offset points", rotation=90, va="top", fontsize=8,
                      color="dimgrey")
    axes.set_xlim(start - origin, end - origin)
    axes.set_ylim(FLOOR_DB, 5)
    axes.set_xlabel("seconds from the agent's start")
    axes.set_ylabel("level (dBFS, 50 ms RMS)")
    axes.set_title("What the sound device heard")
    axes.grid(True, alpha=0.3)
    axes.legend(loc="lower left")
    figure.tight_layout()
    figure.savefig(path, dpi=110)
    pyplot.close(figure)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", required=True, choices=["i686", "x86_64"])
    parser.add_argument("--tree", required=True)
    options = parser.parse_args()
    tree = os.path.abspath(options.tree)
    session = WineSession.in_state(options.arch, os.path.join(tree, "run"),
                                   os.path.join(tree, "bin"), os.path.join(tree, "demo"))
    print("demo: generating the samples")
    write_samples(session)
    session.sound_device("start")
    session.wine_server("keep")
    try:
        print("demo: starting the agent (headless, under Wine)")
        with session.recorder("quavel-demo.wav") as recording:
            marks = play(session, recording)
    finally:
        session.close()
        session.wine_server("end")
        session.sound_device("stop")

    rate, channels = recording.read()
    sides = [levels.rms(side, rate, WINDOW_S) for side in channels]
    marks["fade start"] = fade_start(sides[1], marks)
    summary(sides)
    picture = recording.path[:-4] + ".png"
    plot(picture, sides, marks)
    print(f"demo: level plot: {picture}")
    print(f"demo: what the sound device heard: {recording.path}")


if __name__ == "__main__":
    main()
