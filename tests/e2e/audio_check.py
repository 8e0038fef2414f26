#!/usr/bin/env python3
"""End-to-end checks of what the agent actually plays, heard through the
monitor of the private sound device while real processes run under Wine.

  audio_check.py SCENARIO --bin DIR --work DIR --pulse DIR -- RUNNER...

SCENARIO: recorder, fade, loop, test-mode or kept. RUNNER is the command that runs
a Windows program (scripts/wine-run with its options). Exits non-zero with
the reasons when what was heard is wrong; the recordings are left in the
work directory.
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import (check_script, fade_steps, levels, loop_gaps, protocol,  # noqa: E402
                            recorder, signals, timeline, wav, wine)

WINDOW_S = 0.05
EXIT_BOUND_S = 60
# Below this an RMS level counts as silence (about -50 dB of full scale).
SILENCE = 0.003
LOUD = 0.1
# The loop check: a chirp, whose frequency tells which moment of the clip is
# heard, so every wrap's silence and lost audio can be measured.
LOOP_CLIP_S = 0.5
LOOP_PLAY_S = 5
LOOP_WRAPS = 5
# Generous, so a loaded machine never fails them; the bench holds the real
# target. Passes join without a gap: each is scheduled in a second graph at
# the time the last ends (a restart at the end left 20-40 ms each way, a
# rewind of the running graph 200 ms). Where the machine keeps the agent
# from running for a while, a pass can come late now and then; the medians
# catch joins that fail every time. Lost audio is told modulo the clip, so
# only the silence has a bound of its own for every wrap.
LOOP_SILENCE_BOUND_MS = 400
LOOP_MEDIAN_BOUND_MS = 15
# The kept check: a chirp short enough to be played from memory, heard
# partway, then again from a graph kept meanwhile. A cued start loses a few
# milliseconds of the head at most (Wine, 20 ms lead: none).
KEPT_CLIP_S = 2.0
KEPT_PARTWAY_MS = 1000
KEPT_HEAD_LOST_BOUND_S = 0.03
# Louder than this, the steady tone written over the chirp is heard (it is
# made at -8 dB); for at least this long of the pass that plays it.
TONE_HEARD_DB = -20.0
TONE_HEARD_S = 1.0


def write_stereo(session, name, left, right):
    wav.write(session.file(name), [left, right], signals.RATE)
    return session.windows_path(name)


def envelopes(recording):
    """RMS levels of the left and the right side, WINDOW_S apart."""
    rate, channels = recording.read()
    return [levels.rms(side, rate, WINDOW_S) for side in channels]


def first(values, predicate, start=0):
    return next((index for index in range(start, len(values)) if predicate(values[index])), None)


def seconds(windows):
    return windows * WINDOW_S


def exit_problems(agent):
    code = agent.wait(timeout=EXIT_BOUND_S)
    return [] if code == 0 else [f"agent exit code {code}: {agent.output()}"]


def heard_span(samples, rate, clip_s):
    """The passes through a chirp clip found in `samples`, and the longest
    gap between neighbouring periods of the first."""
    offsets = loop_gaps.clip_offsets(samples, rate, *signals.CHIRP_HZ, clip_s)
    found = loop_gaps.passes(offsets)
    gaps = [b[0] - a[0] for a, b in zip(offsets, offsets[1:])]
    return found, max(gaps, default=clip_s)


def check_recorder(session):
    """The recorder set-up every check uses hears a known clip from its first
    moment to its last: a chirp played by PulseAudio's own player the moment
    the recorder is ready, so that neither the head nor the tail nor
    anything between can go missing unnoticed. The clip's own analysis is
    the reference: the first and last periods of a chirp are found only
    whole."""
    clip_s = 2.0
    sweep = signals.chirp(*signals.CHIRP_HZ, clip_s, 0.5)
    wav.write(session.file("known.wav"), [sweep, sweep], signals.RATE)
    [(clip_first, clip_last, _)], _ = heard_span(sweep, signals.RATE, clip_s)
    with session.recorder("known-recorded.wav") as recording:
        subprocess.run(["paplay", session.file("known.wav")], check=True, timeout=EXIT_BOUND_S,
                       env=recorder.environment(session.pulse_dir))
    rate, samples = recording.read_mono()
    found, longest_gap_s = heard_span(samples, rate, clip_s)
    if len(found) != 1:
        return [f"the clip was heard as {len(found)} passes, not one"]
    first_heard, last_heard, offset = found[0]
    head_s = first_heard - offset - clip_first
    tail_s = clip_last - (last_heard - offset)
    print(f"missing from the clip's head {head_s * 1000:.1f} ms, from its tail "
          f"{tail_s * 1000:.1f} ms; longest gap between its periods {longest_gap_s * 1000:.1f} ms")
    # A chirp period is 5 ms at its start and a quarter of that at its end.
    problems = []
    if head_s > 0.002:
        problems.append(f"the first {head_s * 1000:.0f} ms of the clip were not recorded")
    if tail_s > 0.002:
        problems.append(f"the last {tail_s * 1000:.0f} ms of the clip were not recorded")
    if longest_gap_s > 0.01:
        problems.append(f"{longest_gap_s * 1000:.0f} ms of the clip went missing in the middle")
    return problems


def check_fade(session):
    """Channel 1 and channel 2 play a tone each; after HC_Quit channel 2 stops
    at once and channel 1 falls in 2 percent steps on the volume curve over
    about 5 s, then the agent exits. The bench's fade analysis follows each
    tone apart; a dropout on a busy machine is too short to pass for a step,
    and the bounds here are loose: the bench holds the exact targets."""
    channel1_hz, channel2_hz = signals.CHANNEL_HZ
    first = write_stereo(session, "first.wav", *[signals.tone(channel1_hz, 20, 0.4)] * 2)
    second = write_stereo(session, "second.wav", *[signals.tone(channel2_hz, 20, 0.2)] * 2)
    with session.recorder("fade.wav") as recording:
        agent = session.start_agent()
        assert session.quavelctl("open", first) == "1"
        assert session.quavelctl("--channel", "2", "open", second) == "1"
        session.quavelctl("run")
        session.quavelctl("--channel", "2", "run")
        time.sleep(2)
        assert session.quavelctl("is-playing") == "1"
        quit_sent = time.monotonic()
        assert session.quavelctl("quit") == "1"
        problems = exit_problems(agent)
        print(f"the agent ended {time.monotonic() - quit_sent:.2f} s after the quit was sent")
    rate, samples = recording.read_mono()
    heard = fade_steps.analyse(samples, rate, channel1_hz, channel2_hz, 100, 2)
    if "error" in heard:
        return problems + [heard["error"]]
    print(f"fade of {heard['duration_s']:.2f} s in {heard['steps']} steps heard "
          f"(of {heard['expected_steps']}), at most {heard['curve_max_deviation_db']:.2f} dB "
          f"off the curve")
    if not 4.0 <= heard["duration_s"] <= 7.5:
        problems.append(f"fade lasted {heard['duration_s']:.2f} s, not about 5 s")
    if heard["steps"] < 15:
        problems.append(f"only {heard['steps']} steps heard: not a stepwise fade")
    if heard["curve_max_deviation_db"] > 3.0:
        problems.append(f"steps {heard['curve_max_deviation_db']:.1f} dB off the volume curve")
    if heard["rises"]:
        problems.append(f"channel 1 rose {heard['rises']} times during the fade")
    return problems


def check_loop(session):
    """A 0.5 s chirp looped on channel 2: five or more wraps in a row, every
    one heard, none with a long silence, and typically little silence and
    little of the clip lost. The recording ends while the loop still plays,
    so the quit cannot land on a wrap."""
    sweep = signals.chirp(*signals.CHIRP_HZ, LOOP_CLIP_S, 0.5)
    clip = write_stereo(session, "chirp.wav", sweep, sweep)
    recording = session.recorder("loop.wav")
    recording.start()
    agent = session.start_agent()
    assert session.quavelctl("--channel", "2", "open", clip) == "1"
    assert session.quavelctl("--channel", "2", "set-loop", "1") == "1"
    session.quavelctl("--channel", "2", "run")
    time.sleep(LOOP_PLAY_S)
    recording.stop()
    session.quavelctl("quit")
    problems = exit_problems(agent)

    rate, samples = recording.read_mono()
    heard = loop_gaps.wrap_gaps(samples, rate, *signals.CHIRP_HZ, LOOP_CLIP_S)
    silences, lost = heard["silences_ms"], heard["missing_ms"]
    print(f"wraps heard: {heard['wraps']}, missed: {heard['missed']}")
    print("silence per wrap (ms):", " ".join(f"{value:.0f}" for value in silences))
    print("audio lost per wrap (ms):", " ".join(f"{value:.0f}" for value in lost))
    if heard["wraps"] < LOOP_WRAPS:
        return problems + [f"only {heard['wraps']} wraps heard, not {LOOP_WRAPS} or more"]
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
    box is closed (the host side is a case of the end-to-end program). Wine
    starts a graph 200 ms after Run and the process ends with the renderer's
    queued audio unplayed, so a little under two seconds is heard."""
    with session.recorder("test-mode.wav") as recording:
        host = session.start("agent_e2e_tests.exe",
                             "--gtest_filter=TestMode.PlaysTheFileForTwoSecondsAfterTheBoxIsClosed")
        code = host.wait(timeout=EXIT_BOUND_S)
    left, _ = envelopes(recording)

    problems = [] if code == 0 else [f"host side failed:\n{host.output()}"]
    sounding = [index for index, level in enumerate(left) if level > LOUD]
    if not sounding:
        return problems + ["nothing was heard"]
    span = seconds(sounding[-1] - sounding[0] + 1)
    print(f"heard {span:.2f} s of the file")
    if not 1.5 <= span <= 2.8:
        problems.append(f"heard {span:.2f} s, not about 2 s")
    return problems


def heard_moments(report, code, wall_clock):
    """Where in the recording each command `code` of a timeline_host report
    was sent."""
    return [wall_clock.recording_s(report["base_s"] + sent / 1000.0)
            for sent_code, sent in zip(report["code"], report["sent_ms"]) if sent_code == code]


def check_kept(session):
    """A kept sound is heard from its start with nothing of where it was
    left: a chirp is played partway, another sound opened on the channel
    (the chirp's graph goes to the kept set), the chirp opened again (its
    graph taken back) and run. While it plays, another program rewrites its
    file with a steady tone, which a file read into memory allows; opened
    again after another sound, the file is read afresh: the tone is heard,
    not the chirp kept."""
    sweep = signals.chirp(*signals.CHIRP_HZ, KEPT_CLIP_S, 0.5)
    chirp = write_stereo(session, "kept-chirp.wav", sweep, sweep)
    low = signals.tone(signals.CHANNEL_HZ[0], 0.5, 0.4)
    other = write_stereo(session, "kept-other.wav", low, low)
    tone_hz = signals.CHANNEL_HZ[1]
    tone = write_stereo(session, "kept-tone.wav", *[signals.tone(tone_hz, KEPT_CLIP_S, 0.4)] * 2)
    open_code, run_code = protocol.code("HC_OpenFile"), protocol.code("HC_Run")
    play_ms = int(KEPT_CLIP_S * 1000) + 500
    steps = [f"{open_code}={chirp}", run_code, f"sleep={KEPT_PARTWAY_MS}",
             f"{open_code}={other}", f"{open_code}={chirp}", run_code, f"sleep={KEPT_PARTWAY_MS}",
             f"rewrite={chirp}|{tone}", f"sleep={play_ms - KEPT_PARTWAY_MS}",
             f"{open_code}={other}", f"{open_code}={chirp}", run_code, f"sleep={play_ms}"]
    with session.recorder("kept.wav") as recording, timeline.WallClock(recording) as wall_clock:
        agent = session.start_agent()
        code, output, errors = session.outcome("timeline_host.exe", *steps)
        session.quavelctl("quit")
        problems = exit_problems(agent)
    if code != 0:
        return problems + [f"timeline_host failed: {errors.strip() or output.strip()}"]
    report = wine.json_report(output)
    if any(reply != 1 for sent, reply in zip(report["code"], report["reply"]) if sent == open_code):
        return problems + [f"an open was refused: {report['reply']}"]
    first_run, kept_run, fresh_run = heard_moments(report, run_code, wall_clock)

    rate, samples = recording.read_mono()
    heard = timeline.HeardClip(samples, rate, *signals.CHIRP_HZ, KEPT_CLIP_S)
    passes = loop_gaps.passes(heard.offsets)
    partway = next((found for found in passes if found[0] >= first_run), None)
    if partway is None:
        return problems + ["the first run was not heard"]
    first, last, offset = partway
    print(f"first run: heard the chirp from {first - offset:.3f} s to {last - offset:.2f} s")
    if last - offset < KEPT_PARTWAY_MS / 2000.0:
        problems.append(f"the first run was heard only to {last - offset:.2f} s: nothing was left")
    # The first run is cut off before the kept graph starts: whatever is
    # heard after that silence is the kept graph's.
    gap = heard.silence_from(last)
    kept = next((found for found in passes if gap is not None and found[0] >= gap), None)
    sound = heard.sound_from(gap) if gap is not None else None
    if kept is None or sound is None or kept[0] >= fresh_run:
        return problems + ["the kept chirp was not heard"]
    first, last, offset = kept
    print(f"kept graph: heard from clip time {(first - offset) * 1000:.1f} ms, "
          f"{(first - kept_run) * 1000:.0f} ms after the run; "
          f"{(first - sound) * 1000:.1f} ms of sound before that")
    if first - offset > KEPT_HEAD_LOST_BOUND_S:
        problems.append(f"the kept chirp was first heard {(first - offset) * 1000:.0f} ms "
                        "into the clip")
    if first - sound > KEPT_HEAD_LOST_BOUND_S:
        problems.append(f"{(first - sound) * 1000:.0f} ms of sound came before the kept chirp's "
                        "start: what its graph had queued was heard")

    start = int(fresh_run * rate)
    after = samples[start:start + int(play_ms * rate / 1000)]
    tone_s = sum(1 for level in levels.levels_db(after, rate, tone_hz)
                 if level > TONE_HEARD_DB) * levels.WINDOW_S
    chirps = [found for found in passes if found[0] >= fresh_run]
    print(f"after the rewrite: the tone heard for {tone_s:.2f} s, "
          f"{len(chirps)} passes of the chirp")
    if tone_s < TONE_HEARD_S:
        problems.append(f"the rewritten file's tone was heard for {tone_s:.2f} s only")
    if chirps:
        problems.append("the chirp kept from before the rewrite was heard again")
    return problems


SCENARIOS = {"recorder": check_recorder, "fade": check_fade, "loop": check_loop,
             "test-mode": check_test_mode, "kept": check_kept}


if __name__ == "__main__":
    sys.exit(check_script.main(SCENARIOS))
