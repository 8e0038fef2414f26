#!/usr/bin/env python3
"""End-to-end checks of what the agent actually plays, heard through the
monitor of the private sound device while real processes run under Wine.

  audio_check.py SCENARIO --bin DIR --work DIR --pulse DIR -- RUNNER...

SCENARIO: fade, loop or test-mode. RUNNER is the command that runs a Windows
program (scripts/wine-run with its options). Exits non-zero with the reasons
when what was heard is wrong; the recording and a PNG of its level envelope
are left in the work directory.
"""
import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "bench"))
import audio_envelope as audio  # noqa: E402
from analysis import loop_gaps, recording, signals  # noqa: E402

WINDOW_MS = 50
# Generous: Wine starts processes slowly on a loaded machine.
START_BOUND_S = 60
EXIT_BOUND_S = 60
# Below this an RMS level counts as silence (about -50 dB of full scale).
SILENCE = 0.003
# The loop check: a chirp, whose frequency tells which moment of the clip is
# heard, so every wrap's silence and lost audio can be measured.
LOOP_CLIP_S = 0.5
LOOP_START_HZ = 200
LOOP_END_HZ = 4200
LOOP_PLAY_S = 5
LOOP_WRAPS = 5
# Generous, so a loaded machine never fails them; the bench holds the real
# target. On time, a wrap leaves and loses a few tens of milliseconds. Where
# the machine keeps the agent from running for a while, one wrap now and
# then comes late and loses the clip's tail (about 200 ms each way), as the
# bare platform's does; a rewind of the running graph did that on every wrap,
# which the medians catch. Lost audio is told modulo the clip, so only the
# silence has a bound of its own for every wrap.
LOOP_SILENCE_BOUND_MS = 400
LOOP_MEDIAN_BOUND_MS = 150
# A short recorder buffer drops audio when the machine is busy.
LOOP_RECORDER_LATENCY_MS = 200


class Session:
    def __init__(self, options):
        self.options = options
        self.runner = options.runner
        self.started = []
        os.makedirs(options.work, exist_ok=True)

    def close(self):
        """Ends whatever a failed check left running."""
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()

    def program(self, name):
        return os.path.join(self.options.bin, name)

    def windows_path(self, name):
        """A path the agent can open: the Unix root is drive Z: under Wine."""
        return "Z:" + os.path.join(os.path.abspath(self.options.work), name)

    def quavelctl(self, *arguments):
        """Its reply. Output goes through files: a Wine server started by this
        call would keep a pipe open long after quavelctl has ended."""
        with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
            code = subprocess.call(self.runner + [self.program("quavelctl.exe"), *arguments],
                                   stdout=out, stderr=err, timeout=2 * EXIT_BOUND_S)
            out.seek(0)
            err.seek(0)
            if code != 0:
                raise AssertionError(f"quavelctl {' '.join(arguments)}: {err.read().strip()}")
            return out.read().strip()

    def start(self, *arguments, program="quavel.exe"):
        log = open(os.path.join(self.options.work, program + ".out"), "w+")
        process = subprocess.Popen(self.runner + [self.program(program), *arguments],
                                   cwd=self.options.work, stdout=log, stderr=subprocess.STDOUT)
        process.log = log
        self.started.append(process)
        return process

    def start_serving_agent(self):
        agent = self.start()
        self.quavelctl("wait", str(START_BOUND_S * 1000))
        return agent

    def recorder(self, name, latency_ms=50):
        environment = dict(os.environ, PULSE_RUNTIME_PATH=self.options.pulse,
                           PULSE_SERVER="unix:" + os.path.join(self.options.pulse, "native"))
        path = os.path.join(self.options.work, name)
        process = subprocess.Popen(
            ["parec", "-d", "quavel.monitor", "--format=s16le", "--rate=44100", "--channels=2",
             f"--latency-msec={latency_ms}", "--file-format=wav", path], env=environment)
        self.started.append(process)
        time.sleep(0.5)
        return process, path

    def finish(self, recorder, path):
        time.sleep(0.5)
        recorder.send_signal(signal.SIGINT)
        recorder.wait(timeout=EXIT_BOUND_S)
        sides = audio.envelope(audio.read_wav(path), WINDOW_MS)
        audio.write_envelope_png(path[:-4] + ".png", sides, WINDOW_MS)
        return sides


def wait_exit(process):
    """Exit code and output of a program started by Session.start."""
    code = process.wait(timeout=EXIT_BOUND_S)
    process.log.seek(0)
    return code, process.log.read()


def first(levels, predicate, start=0):
    for index in range(start, len(levels)):
        if predicate(levels[index]):
            return index
    return None


def seconds(windows):
    return windows * WINDOW_MS / 1000


def check_fade(session):
    """Channel 1 (left only) and channel 2 (right only) play; after HC_Quit the
    right side stops at once and the left falls in steps over about 5 s."""
    audio.write_wav(os.path.join(session.options.work, "left.wav"), audio.tone_frames(20, 440, 0.5, 0))
    audio.write_wav(os.path.join(session.options.work, "right.wav"), audio.tone_frames(20, 660, 0, 0.5))
    recorder, path = session.recorder("fade.wav")
    agent = session.start_serving_agent()
    assert session.quavelctl("open", session.windows_path("left.wav")) == "1"
    assert session.quavelctl("--channel", "2", "open", session.windows_path("right.wav")) == "1"
    session.quavelctl("run")
    session.quavelctl("--channel", "2", "run")
    time.sleep(2)
    assert session.quavelctl("is-playing") == "1"
    quit_sent = time.monotonic()
    assert session.quavelctl("quit") == "1"
    code, output = wait_exit(agent)
    print(f"the agent ended {time.monotonic() - quit_sent:.2f} s after the quit was sent")
    left, right = session.finish(recorder, path)

    problems = []
    if code != 0:
        problems.append(f"agent exit code {code}: {output}")
    loud = first(right, lambda level: level > 0.1)
    if loud is None:
        return problems + ["channel 2 was never heard"]
    quit_at = first(right, lambda level: level < SILENCE, loud)
    if quit_at is None:
        return problems + ["channel 2 never stopped"]
    full = left[quit_at - 2]
    print(f"channel 2 stopped at {seconds(quit_at):.2f} s; channel 1 level then {full:.3f}")
    if full < 0.1:
        problems.append("channel 1 was not playing at full level when quit")

    # 100 ms steps from 100 percent: halfway (50 percent, -15.9 dB) after 2.5 s,
    # the last (2 percent) ending about 5 s after the quit.
    def level_after(offset_s):
        index = quit_at + int(offset_s * 1000 / WINDOW_MS)
        return left[index] / full if index < len(left) else 0.0

    halfway = level_after(2.5)
    print(f"channel 1 relative level 2.5 s after the quit: {halfway:.3f}")
    if not 0.06 < halfway < 0.4:
        problems.append(f"relative level 2.5 s into the fade is {halfway:.3f}, not about 0.16")
    silent = first(left, lambda level: level < SILENCE, quit_at)
    fade_s = seconds((silent if silent is not None else len(left)) - quit_at)
    print(f"channel 1 fell silent {fade_s:.2f} s after the quit")
    if not 4.0 <= fade_s <= 7.5:
        problems.append(f"fade lasted {fade_s:.2f} s, not about 5 s")
    fade = left[quit_at:silent]
    rises = sum(1 for a, b in zip(fade, fade[4:]) if b > a * 1.15 and b > SILENCE)
    if rises:
        problems.append(f"channel 1 rose {rises} times during the fade")
    steps = len({round(audio.decibels(level)) for level in fade if level > SILENCE})
    print(f"distinct levels (whole dB) during the fade: {steps}")
    if steps < 15:
        problems.append(f"only {steps} distinct levels: not a stepwise fade")
    return problems


def check_loop(session):
    """A 0.5 s chirp looped on channel 2: five or more wraps in a row, every
    one heard, none with a long silence, and typically little silence and
    little of the clip lost. The recording ends while the loop still plays,
    so the quit cannot land on a wrap."""
    clip = os.path.join(session.options.work, "chirp.wav")
    signals.write_wav(clip, signals.chirp(LOOP_START_HZ, LOOP_END_HZ, LOOP_CLIP_S, 0.5))
    recorder, path = session.recorder("loop.wav", LOOP_RECORDER_LATENCY_MS)
    agent = session.start_serving_agent()
    assert session.quavelctl("--channel", "2", "open", session.windows_path("chirp.wav")) == "1"
    assert session.quavelctl("--channel", "2", "set-loop", "1") == "1"
    session.quavelctl("--channel", "2", "run")
    time.sleep(LOOP_PLAY_S)
    session.finish(recorder, path)
    session.quavelctl("quit")
    code, output = wait_exit(agent)

    problems = [] if code == 0 else [f"agent exit code {code}: {output}"]
    samples, rate = recording.read_mono(path)
    heard = loop_gaps.wrap_gaps(samples, rate, LOOP_START_HZ, LOOP_END_HZ, LOOP_CLIP_S)
    silences, lost = heard["silences_ms"], heard["missing_ms"]
    print(f"wraps heard: {heard['wraps']}, missed: {heard['missed']}")
    print("silence per wrap (ms):", " ".join(f"{value:.0f}" for value in silences))
    print("audio lost per wrap (ms):", " ".join(f"{value:.0f}" for value in lost))
    if heard["wraps"] < LOOP_WRAPS:
        problems.append(f"only {heard['wraps']} wraps heard, not {LOOP_WRAPS} or more")
        return problems
    if heard["missed"]:
        problems.append(f"{heard['missed']} wraps missed: the loop stalled")
    for number, silence in enumerate(silences, 1):
        if silence > LOOP_SILENCE_BOUND_MS:
            problems.append(f"wrap {number}: {silence:.0f} ms of silence "
                            f"(bound {LOOP_SILENCE_BOUND_MS} ms)")
    for what, values in (("silence", silences), ("audio lost", [abs(value) for value in lost])):
        median = statistics.median(values)
        if median > LOOP_MEDIAN_BOUND_MS:
            problems.append(f"median {what} per wrap {median:.0f} ms "
                            f"(bound {LOOP_MEDIAN_BOUND_MS} ms)")
    return problems


def check_test_mode(session):
    """Test mode plays the named file for about two seconds once its message
    box is closed (the host side is a case of the end-to-end program)."""
    recorder, path = session.recorder("test-mode.wav")
    host = session.start("--gtest_filter=TestMode.PlaysTheFileForTwoSecondsAfterTheBoxIsClosed",
                         program="agent_e2e_tests.exe")
    code, output = wait_exit(host)
    left, _ = session.finish(recorder, path)

    problems = [] if code == 0 else [f"host side failed:\n{output}"]
    sounding = [index for index, level in enumerate(left) if level > 0.1]
    if not sounding:
        return problems + ["nothing was heard"]
    span = seconds(sounding[-1] - sounding[0] + 1)
    print(f"heard {span:.2f} s of the file")
    if not 1.5 <= span <= 2.8:
        problems.append(f"heard {span:.2f} s, not about 2 s")
    return problems


SCENARIOS = {"fade": check_fade, "loop": check_loop, "test-mode": check_test_mode}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--pulse", required=True)
    arguments = sys.argv[1:]
    split = arguments.index("--") if "--" in arguments else len(arguments)
    options = parser.parse_args(arguments[:split])
    options.runner = arguments[split + 1:]
    for name in ("bin", "work", "pulse"):
        setattr(options, name, os.path.abspath(getattr(options, name)))
    options.runner[0] = os.path.abspath(options.runner[0])
    session = Session(options)
    try:
        problems = SCENARIOS[options.scenario](session)
    finally:
        session.close()
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
