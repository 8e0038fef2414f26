"""Sound on cue: how soon a start is heard, how true the position is, where a
stop and run resumes, and how a clip that has played to its end replays,
all read from what the sound device heard. The agent runs each script
through timeline_host; its baselines run the same script on a bare graph of
the same file (bare_transport): started with IMediaControl::Run, as the
platform starts a graph, or cued and started with IMediaFilter::Run(now +
20 ms), the fastest start the platform allows."""
import statistics

from quavel_harness import heard_run, signals, wav
from runner import verdict

CLIP_S = 3.0
CLIPS = ("cue_a.wav", "cue_b.wav")
HC_OPEN, HC_STOP, HC_RESET, HC_RUN, HC_POSITION, HC_SET_POSITION = 1, 3, 4, 5, 10, 11
PLAY_MS = 700
PAUSE_MS = 400
POLL_EVERY_MS = 50
BARE_LEAD_MS = 20
CUED_MARGIN_MS = 15
CONTROL_SHARE = 0.4
POSITION_MEDIAN_MS = 20
POSITION_WORST_MS = 40
RESUME_MS = 30
REPLAY_MS = 120
REPLAY_POSITION_MS = 40
# Past the clip's end, so that a replay comes to a clip that has finished.
AFTER_END_MS = int(CLIP_S * 1000) + 600
REPLAY_TARGET_S = 1.0


def write_clips(session):
    sweep = signals.chirp(*signals.CHIRP_HZ, CLIP_S, 0.5)
    for name in CLIPS:
        wav.write(session.file(name), [sweep], signals.RATE)


def ms(seconds):
    return None if seconds is None else 1000.0 * seconds


def start_script(session, rounds):
    """Alternately a start of a freshly opened file (cold) and of the same
    graph rewound (warm), each played a while and stopped."""
    steps = []
    for index in range(rounds):
        clip = session.windows_path(CLIPS[index % 2])
        steps += [f"{HC_OPEN}={clip}", str(HC_RUN), f"sleep={PLAY_MS}", str(HC_STOP),
                  f"sleep={PAUSE_MS}", str(HC_RESET), str(HC_RUN), f"sleep={PLAY_MS}",
                  str(HC_STOP), f"sleep={PAUSE_MS}"]
    return steps


def start_delays(run):
    """(cold, warm) delays in ms from each start's send to the clip's start
    heard, and the head lost by each (ms): every start plays from the top."""
    delays, lost = [], []
    for _, _, sent, _ in run.commands(HC_RUN):
        heard = run.heard_from(sent, 0.0)
        delays.append(ms(heard[0] - sent) if heard else None)
        lost.append(ms(heard[1] - signals.CHIRP_FIRST_PERIOD_S) if heard else None)
    return delays[0::2], delays[1::2], lost


def median(values):
    present = [value for value in values if value is not None]
    return statistics.median(present) if present else float("nan")


def start_rows(session, counts):
    write_clips(session)
    script = start_script(session, counts.starts)
    agent = heard_run.record(session, "start_agent.wav", CLIP_S, "timeline_host.exe", *script)
    cued, control = (
        heard_run.record(session, f"start_{mode}.wav", CLIP_S, "bare_transport.exe", "--file",
                         session.windows_path(CLIPS[0]), "--start", mode, "--lead-ms",
                         BARE_LEAD_MS, *script)
        for mode in ("cued", "control"))
    figures = {name: start_delays(run) for name, run in
               (("agent", agent), ("cued", cued), ("control", control))}
    rows = []
    for index, phase in ((0, "cold"), (1, "warm")):
        mine = median(figures["agent"][index])
        floor = median(figures["cued"][index])
        platform = median(figures["control"][index])
        limit = min(floor + CUED_MARGIN_MS, CONTROL_SHARE * platform)
        rows.append(verdict.check_row(
            f"HC_Run to first sound, {phase}, median", "ms", mine, floor,
            f"<= cued bare + {CUED_MARGIN_MS} ms, <= {CONTROL_SHARE} x IMediaControl::Run "
            f"({limit:.0f})", mine <= limit,
            {"agent_ms": figures["agent"][index], "cued_bare_ms": figures["cued"][index],
             "control_bare_ms": figures["control"][index],
             "agent_head_lost_ms": figures["agent"][2],
             "baseline": f"bare graph cued, IMediaFilter::Run(now + {BARE_LEAD_MS} ms)"}))
        rows.append(verdict.info_row(f"HC_Run to first sound, {phase}, IMediaControl::Run",
                                     "ms", mine, platform))
    return rows


def position_rows(session, counts):
    """Positions polled through several starts, stops and runs, beside the
    platform's own position after IMediaControl::Run."""
    steps = []
    for index in range(max(2, counts.starts // 4)):
        steps += [str(HC_RUN), f"poll={HC_POSITION}/{2 * PLAY_MS}/{POLL_EVERY_MS}", str(HC_STOP),
                  f"sleep={PAUSE_MS}"]
        if index % 2:
            steps.append(str(HC_RESET))
    clip = session.windows_path(CLIPS[0])
    agent = heard_run.record(session, "position_agent.wav", CLIP_S, "timeline_host.exe",
                             f"{HC_OPEN}={clip}", *steps)
    control = heard_run.record(session, "position_control.wav", CLIP_S, "bare_transport.exe",
                               "--file", clip, "--start", "control", f"{HC_OPEN}=x", *steps)
    errors = agent.position_errors_ms(HC_POSITION, 0)
    platform = control.position_errors_ms(HC_POSITION, 0)
    magnitudes = [abs(error) for error in errors] or [float("nan")]
    details = {"agent_errors_ms": errors, "control_errors_ms": platform,
               "baseline": "bare graph's own position after IMediaControl::Run"}
    return [
        verdict.check_row("position error while playing, median |reported - heard|", "ms",
                          statistics.median(magnitudes), median([abs(e) for e in platform]),
                          f"<= {POSITION_MEDIAN_MS} ms",
                          statistics.median(magnitudes) <= POSITION_MEDIAN_MS, details),
        verdict.check_row("position error while playing, worst", "ms", max(magnitudes),
                          max([abs(e) for e in platform], default=float("nan")),
                          f"<= {POSITION_WORST_MS} ms", max(magnitudes) <= POSITION_WORST_MS),
    ]


def resume_jumps(run):
    """For each stop followed by a run: the clip time first heard after the
    run less the clip time last heard before the stop fell silent (ms)."""
    jumps = []
    commands = run.commands()
    for (code, _, sent, _), (after, _, resent, _) in zip(commands, commands[1:]):
        if code != HC_STOP or after != HC_RUN:
            continue
        end = run.sound_end(sent)
        first = run.new_sound(resent)
        if end and end[1] is not None and first:
            jumps.append(ms(first[1] - end[1]))
    return jumps


def resume_rows(session, counts):
    steps = []
    for _ in range(max(2, counts.starts // 4)):
        steps += [str(HC_RUN), f"sleep={PLAY_MS}", str(HC_STOP), f"sleep={PAUSE_MS}"]
    clip = session.windows_path(CLIPS[0])
    agent = heard_run.record(session, "resume_agent.wav", CLIP_S, "timeline_host.exe",
                             f"{HC_OPEN}={clip}", *steps)
    control = heard_run.record(session, "resume_control.wav", CLIP_S, "bare_transport.exe",
                               "--file", clip, "--start", "control", f"{HC_OPEN}=x", *steps)
    jumps = resume_jumps(agent)
    worst = max((abs(jump) for jump in jumps), default=float("nan"))
    platform = resume_jumps(control)
    return [verdict.check_row(
        "stop then run: resumed from where it stopped, worst", "ms", worst,
        max((abs(jump) for jump in platform), default=float("nan")), f"<= {RESUME_MS} ms",
        worst <= RESUME_MS and len(jumps) >= 1,
        {"agent_jumps_ms": jumps, "control_jumps_ms": platform,
         "baseline": "bare graph stopped and run with IMediaControl"})]


def replay_script(path):
    """The clip played to its end, then replayed three ways, each followed
    by position polls."""
    polls = f"poll={HC_POSITION}/600/{POLL_EVERY_MS}"
    target = int(REPLAY_TARGET_S * 100)
    return [f"{HC_OPEN}={path}", str(HC_RUN), f"sleep={AFTER_END_MS}", str(HC_RESET), polls,
            f"sleep={AFTER_END_MS}", f"{HC_SET_POSITION}={target}", polls,
            f"sleep={AFTER_END_MS}", str(HC_RESET), str(HC_RUN), polls, str(HC_STOP)]


def replays(run):
    """(delay ms from the command to the sound from the new position, or None
    when it never came, and the position errors after it) for each replay."""
    found = []
    commands = run.commands()
    for index, (code, _, sent, _) in enumerate(commands):
        if code not in (HC_RESET, HC_SET_POSITION):
            continue
        target = REPLAY_TARGET_S if code == HC_SET_POSITION else 0.0
        heard = run.heard_from(sent, target)
        delay = ms(heard[0] - sent) if heard else None
        polls_after = [answered for c, _, _, answered in commands[index + 1:]
                       if c == HC_POSITION]
        errors = run.position_errors_ms(HC_POSITION, polls_after[0] if polls_after else sent,
                                        polls_after[-1] if polls_after else sent)
        found.append((delay, errors))
    return found


def replay_rows(session):
    clip = session.windows_path(CLIPS[0])
    script = replay_script(clip)
    agent = replays(heard_run.record(session, "replay_agent.wav", CLIP_S, "timeline_host.exe",
                                     *script))
    control = replays(heard_run.record(session, "replay_control.wav", CLIP_S,
                                       "bare_transport.exe", "--file", clip, "--start",
                                       "control", "1=x", *script[1:]))
    delays = [delay for delay, _ in agent]
    errors = [abs(error) for _, found in agent for error in found]
    every = all(delay is not None and delay <= REPLAY_MS for delay in delays)
    worst = max((delay for delay in delays if delay is not None), default=float("nan"))
    worst_error = max(errors, default=float("nan"))
    platform = [delay for delay, _ in control]
    return [
        verdict.check_row("replay after the end heard, worst of reset, seek, reset + run",
                          "ms", worst if every else float("inf"),
                          max((d for d in platform if d is not None), default=float("nan")),
                          f"<= {REPLAY_MS} ms, every time", every,
                          {"agent_ms": delays, "control_ms": platform,
                           "baseline": "bare graph with IMediaControl: None = never heard"}),
        verdict.check_row("replay after the end: position error, worst", "ms", worst_error,
                          None, f"<= {REPLAY_POSITION_MS} ms",
                          worst_error <= REPLAY_POSITION_MS),
    ]


def measure(session, counts):
    return (start_rows(session, counts) + position_rows(session, counts) +
            resume_rows(session, counts) + replay_rows(session))
