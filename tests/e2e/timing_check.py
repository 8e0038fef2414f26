#!/usr/bin/env python3
"""End to end: the sound keeps time with what the agent says, heard through
the monitor of the private sound device while a host stamps its commands on
the wall clock (timeline_host).

  timing_check.py cue --bin DIR --work DIR --pulse DIR -- RUNNER...

A start is heard well under the platform's own 200 ms start delay and from
the head of the clip; a stop and run resumes where the sound stopped; a clip
that has played to its end replays on HC_Reset, and says so. The bounds are
generous, so that a loaded machine never fails them: the bench holds the
real targets."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import check_script, heard_run, signals, wav  # noqa: E402

HC_STOP, HC_RESET, HC_RUN, HC_GET_STATE = 3, 4, 5, 9
STATE_PLAYING = 2
CLIP_S = 1.5
PLAY_MS = 600
PAUSE_MS = 400
# Wine starts a graph of its own accord 200 ms after IMediaControl::Run and
# is heard some 60 ms after that.
START_BOUND_MS = 180
HEAD_BOUND_MS = 15
RESUME_BOUND_MS = 60
REPLAY_BOUND_MS = 300
AFTER_END_MS = int(CLIP_S * 1000) + 500
STATE_AFTER_MS = 200


def script(clip):
    """Two starts from the top (a fresh open, then a rewind), a stop and run
    in mid-clip, and a run to the end followed by a rewind of the finished
    channel, whose state is asked a moment later."""
    return [f"1={clip}", str(HC_RUN), f"sleep={PLAY_MS}", str(HC_STOP), f"sleep={PAUSE_MS}",
            str(HC_RESET), str(HC_RUN), f"sleep={PLAY_MS // 2}", str(HC_STOP),
            f"sleep={PAUSE_MS}", str(HC_RUN), f"sleep={AFTER_END_MS}", str(HC_RESET),
            f"sleep={STATE_AFTER_MS}", str(HC_GET_STATE), f"sleep={PLAY_MS}", str(HC_STOP)]


def check_cue(session):
    wav.write(session.file("cue.wav"), [signals.chirp(*signals.CHIRP_HZ, CLIP_S, 0.5)],
              signals.RATE)
    agent = session.start_agent()
    run = heard_run.record(session, "cue.wav.heard.wav", CLIP_S, "timeline_host.exe",
                           *script(session.windows_path("cue.wav")))
    session.quavelctl("quit")
    agent.wait()
    problems = []
    commands = run.commands()
    runs = [sent for code, _, sent, _ in commands if code == HC_RUN]
    for number, sent in enumerate(runs[:2], 1):
        heard = run.heard_from(sent, 0.0)
        if heard is None:
            problems.append(f"start {number}: the clip's start was not heard")
            continue
        delay = 1000 * (heard[0] - sent)
        print(f"start {number}: heard {delay:.0f} ms after HC_Run, first period at "
              f"{1000 * heard[1]:.1f} ms of the clip")
        if delay > START_BOUND_MS:
            problems.append(f"start {number}: heard {delay:.0f} ms after HC_Run "
                            f"(bound {START_BOUND_MS} ms)")
        if 1000 * (heard[1] - signals.CHIRP_FIRST_PERIOD_S) > HEAD_BOUND_MS:
            problems.append(f"start {number}: the head of the clip was lost")

    third = [index for index, command in enumerate(commands) if command[0] == HC_RUN][2]
    stop = [sent for code, _, sent, _ in commands[:third] if code == HC_STOP][-1]
    end = run.sound_end(stop)
    resumed = run.new_sound(runs[2])
    if not end or end[1] is None or not resumed:
        problems.append("stop and run: the stop or the resumption was not heard")
    else:
        jump = 1000 * (resumed[1] - end[1])
        print(f"stop and run: stopped at {end[1]:.3f} s, resumed at {resumed[1]:.3f} s")
        if abs(jump) > RESUME_BOUND_MS:
            problems.append(f"stop and run resumed {jump:.0f} ms away from where it stopped "
                            f"(bound {RESUME_BOUND_MS} ms)")

    reset = [sent for code, _, sent, _ in commands if code == HC_RESET][-1]
    replayed = run.heard_from(reset, 0.0)
    if replayed is None:
        problems.append("a finished clip did not replay from its start on HC_Reset")
    else:
        delay = 1000 * (replayed[0] - reset)
        print(f"replay after the end: heard {delay:.0f} ms after HC_Reset")
        if delay > REPLAY_BOUND_MS:
            problems.append(f"replay heard {delay:.0f} ms after HC_Reset "
                            f"(bound {REPLAY_BOUND_MS} ms)")
    state = [reply for code, reply, _, _ in commands if code == HC_GET_STATE][-1]
    if state != STATE_PLAYING:
        problems.append(f"a replaying clip reported state {state}, not {STATE_PLAYING}")
    return problems


if __name__ == "__main__":
    sys.exit(check_script.main({"cue": check_cue}))
