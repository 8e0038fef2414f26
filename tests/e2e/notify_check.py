#!/usr/bin/env python3
"""End to end: a host window told of a channel's ends and wraps, heard
against what the sound device recorded, and why an open failed, asked of a
live agent under Wine.

  notify_check.py notify --bin DIR --work DIR --pulse DIR -- RUNNER...

The host is timeline_host: it registers a message-only window of its own
and stamps every event it takes on the wall clock the recorder's reads are
stamped with, so each can be laid beside the moment it tells of.
"""
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import check_script, protocol, signals, timeline, wav  # noqa: E402

# Generous, so a loaded two-core machine never fails them: on time, an end
# or a wrap is told within a few milliseconds of being heard.
EARLY_BOUND_S = 0.1
LATE_BOUND_S = 0.3
CLIP_S = 1.0
LOOP_CLIP_S = 0.5
# Long enough for a clip to be heard out even when the machine is slow.
HEARD_OUT_MS = int(CLIP_S * 1000) + 800
EXIT_BOUND_S = 60
ENDED, WRAPPED = protocol.EVENT_ENDED, protocol.EVENT_WRAPPED
# Win32 errors; a render's HRESULT has its top bit set and replies negative.
FILE_NOT_FOUND, ACCESS_DENIED = 2, 5


def code(name, channel=1):
    return str(protocol.code(name, channel))


def write_chirp(session, name, seconds):
    sweep = signals.chirp(*signals.CHIRP_HZ, seconds, 0.5)
    wav.write(session.file(name), [sweep, sweep], signals.RATE)
    return session.windows_path(name)


def played(session, name, clip_s, steps):
    """Runs timeline_host with `steps` while the device is recorded; its
    report, the wall clock laid on the recording, and the chirp heard."""
    with session.recorder(name) as recording, timeline.WallClock(recording) as wall:
        report = session.run_json("timeline_host.exe", *steps)
    with open(session.file(name + ".json"), "w") as kept:
        json.dump(report, kept)
    rate, samples = recording.read_mono()
    return report, wall, timeline.HeardClip(samples, rate, *signals.CHIRP_HZ, clip_s)


def off_by(late_s):
    """Problems with an event told `late_s` after the moment it tells of
    was heard (None: that moment was not heard)."""
    if late_s is None:
        return ["nothing was heard where an event was told"]
    if -EARLY_BOUND_S <= late_s <= LATE_BOUND_S:
        return []
    return [f"told {late_s * 1000:+.0f} ms from the moment heard "
            f"(bounds -{EARLY_BOUND_S * 1000:.0f}..+{LATE_BOUND_S * 1000:.0f} ms)"]


def later(event_s, heard_s):
    return None if heard_s is None else event_s - heard_s


def check_ends(session):
    """A clip played, and played again by HC_Reset once it has ended: one
    "ended" each, told when its last sound is heard, with the clip's end as
    the position. Then nothing for a play cut short by HC_Stop, nor for one
    played after the window was unregistered."""
    clip = write_chirp(session, "end.wav", CLIP_S)
    report, wall, heard = played(session, "ends.wav", CLIP_S, [
        "notify=1", f"{code('HC_OpenFile')}={clip}", code("HC_Run"), f"sleep={HEARD_OUT_MS}",
        code("HC_Reset"), f"sleep={HEARD_OUT_MS}",
        code("HC_Reset"), "sleep=300", code("HC_Stop"), f"sleep={HEARD_OUT_MS}",
        f"{code('HC_NotifyWindow')}=0", code("HC_Reset"), code("HC_Run"), f"sleep={HEARD_OUT_MS}"])
    # Sent: open, run, reset, reset, stop, unregister, reset, run.
    starts = timeline.wall_moments(report, "sent_ms")[1:3]
    if len(timeline.events(report, ENDED)) != 2 or timeline.events(report, WRAPPED):
        return [f"the host was told {len(report['event_ms'])} events "
                f"({report['event_kind']}), not two ends"]
    problems = []
    for number, (delay, position) in enumerate(timeline.end_delays(report, wall, heard, starts), 1):
        if delay is not None:
            print(f"play {number}: end told {delay * 1000:+.1f} ms from its last sound heard")
        problems += [f"play {number}: {problem}" for problem in off_by(delay)]
        if position != int(CLIP_S * 100):
            problems.append(f"play {number}: told the position {position}, "
                            f"not {int(CLIP_S * 100)}")
    return problems


def check_wraps(session):
    """A clip looped on channel 2: "wrapped" as each next pass begins to be
    heard, one for every join heard; the loop turned off, the pass under way
    plays out and that end is told, once."""
    clip = write_chirp(session, "loop.wav", LOOP_CLIP_S)
    report, wall, heard = played(session, "wraps.wav", LOOP_CLIP_S, [
        "notify=2", f"{code('HC_OpenFile', 2)}={clip}", f"{code('HC_SetLoop', 2)}=1",
        code("HC_Run", 2), "sleep=2300", f"{code('HC_SetLoop', 2)}=0", "sleep=1300"])
    run_s = wall.recording_s(timeline.wall_moments(report, "sent_ms")[2])
    joins = heard.joins(run_s)
    wraps = [wall.recording_s(moment) for moment, _, _ in timeline.events(report, WRAPPED)]
    ends = timeline.events(report, ENDED)
    print(f"joins heard: {len(joins)}, wraps told: {len(wraps)}")
    problems = []
    if len(wraps) != len(joins) or len(joins) < 3:
        problems.append(f"{len(wraps)} wraps told for {len(joins)} joins heard (3 or more due)")
    for number, wrap in enumerate(wraps, 1):
        problems += [f"wrap {number}: {problem}"
                     for problem in off_by(later(wrap, timeline.nearest(joins, wrap)))]
    if len(ends) != 1:
        return problems + [f"{len(ends)} ends told after the loop was turned off, not one"]
    # Only said, not held to the bounds: the loop's last pass is heard cut
    # short (its second graph sounds at once when first cued, over the first
    # pass), so its end lies earlier than the agent's timeline says. The
    # timing of ends is held in check_ends.
    moment, channel, position = ends[0]
    last_sound = heard.silence_from(joins[-1]) if joins else None
    if last_sound is not None:
        print(f"the loop's end told {(wall.recording_s(moment) - last_sound) * 1000:+.1f} ms "
              f"from its last sound heard")
    if (channel, position) != (2, int(LOOP_CLIP_S * 100)):
        problems.append(f"the loop's end was told for channel {channel} at {position}")
    return problems


def check_gone_host_and_wait_end(session):
    """A host that registers and ends while its clip plays leaves the agent
    serving once that clip ends; quavelctl wait-end then returns once a
    replay has been heard out, and at once for a stopped channel and for
    one heard out before it asked."""
    clip = write_chirp(session, "gone.wav", CLIP_S)
    problems = []
    session.run("timeline_host.exe", "notify=1", f"{code('HC_OpenFile')}={clip}", code("HC_Run"))
    time.sleep(HEARD_OUT_MS / 1000)
    end = str(int(CLIP_S * 100))
    if session.quavelctl("position") != end:
        problems.append("the agent did not play on once its host had gone")
    session.quavelctl("reset")
    found, _, errors = session.outcome("quavelctl.exe", "--timeout", "10000", "wait-end")
    if found != 0 or session.quavelctl("position") != end:
        problems.append(f"wait-end on a replay exited {found} before the end: {errors}")
    session.quavelctl("stop")
    for why, arguments in (("a stopped channel", []),
                           ("a clip heard out before", ["--channel", "2"])):
        found, _, errors = session.outcome("quavelctl.exe", "--timeout", "3000", *arguments,
                                           "wait-end")
        if found != 0:
            problems.append(f"wait-end on {why} exited {found}: {errors}")
    return problems


def check_last_error(session):
    """Why each open failed: the open's Win32 error for a missing file (2) or
    a folder (5), the render's HRESULT (negative) for a text file named
    .wav, 0 after a good open; quavelctl prints the system's text beside."""
    with open(session.file("text.wav"), "w") as text:
        text.write("not a sound\n" * 100)
    good = write_chirp(session, "good.wav", 0.2)
    problems = []
    for path, expect in ((session.windows_path("missing.wav"), lambda n: n == FILE_NOT_FOUND),
                         (session.windows_path(""), lambda n: n == ACCESS_DENIED),
                         (session.windows_path("text.wav"), lambda n: n < 0),
                         (good, lambda n: n == 0)):
        session.quavelctl("--channel", "2", "open", path)
        shown = session.quavelctl("--channel", "2", "last-error")
        number = int(shown.split()[0])
        print(f"{path}: {shown}")
        if not expect(number):
            problems.append(f"last error after opening {path}: {shown}")
    if session.ask(code("HC_GetLastError")) != 0:
        problems.append("channel 1 took channel 2's error")
    return problems


def check_notify(session):
    _, usage, _ = session.outcome("quavelctl.exe", "--help")
    problems = [f"--help does not list {name}" for name in ("wait-end", "last-error")
                if name not in usage]
    agent = session.start_agent()
    for check in (check_ends, check_wraps, check_gone_host_and_wait_end, check_last_error):
        problems += check(session)
    if not session.succeeds("quavelctl.exe", "ping"):
        problems.append("the agent stopped answering")
    session.quavelctl("quit")
    code_ = agent.wait(timeout=EXIT_BOUND_S)
    return problems + ([] if code_ == 0 else [f"agent exit code {code_}"])


if __name__ == "__main__":
    sys.exit(check_script.main({"notify": check_notify}))
