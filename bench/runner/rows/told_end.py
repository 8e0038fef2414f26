"""Told on time: a host window registered with HC_NotifyWindow takes the
agent's "ended" for a chirp played again and again; each is laid beside
the moment the recording heard that play's last sound (timeline_host stamps
what it takes on the wall clock, the recorder's reads are stamped on it
too). The floor: a bare window that aims a one-shot timer at a moment and
posts itself a message when it comes, stamping when it takes it: how late
a message aimed at a moment arrives with no sound and no agent between."""
import statistics

from quavel_harness import protocol, signals, timeline, wav
from runner import verdict

CLIP_S = 0.5
CLIP_NAME = "told_end.wav"
# Time for a play to be heard out and told, on a slow machine too.
PLAY_MS = int(CLIP_S * 1000) + 700
EARLIEST_MS = -20
LATEST_MS = 60
TARGET = f"every one within {EARLIEST_MS}..+{LATEST_MS} ms"


def worst(values):
    """The value farthest from zero, its sign kept."""
    return max(values, key=abs) if values else None


def agent_delays(session, counts):
    """How long after each play's last sound was heard its "ended" was
    taken, in milliseconds (None where the recording heard no end), and how
    long after its command each play was first heard. The two add up to the
    start delay the agent counts on: where a start is heard sooner (a sound
    device opened afresh, a fast mixer period), its end is too, and the
    "ended" comes that much later."""
    sweep = signals.chirp(*signals.CHIRP_HZ, CLIP_S, 0.5)
    wav.write(session.file(CLIP_NAME), [sweep], signals.RATE)
    replays = [str(protocol.code("HC_Reset")), f"sleep={PLAY_MS}"] * (counts.told_ends - 1)
    steps = ["notify=1", f"{protocol.code('HC_OpenFile')}={session.windows_path(CLIP_NAME)}",
             str(protocol.code("HC_Run")), f"sleep={PLAY_MS}", *replays,
             str(protocol.code("HC_Close"))]
    with session.recorder("told_end_heard.wav") as recording, timeline.WallClock(recording) as wall:
        report = session.run_json("timeline_host.exe", *steps)
    rate, samples = recording.read_mono()
    heard = timeline.HeardClip(samples, rate, *signals.CHIRP_HZ, CLIP_S)
    # Sent: the open, then a run or a reset for each play.
    commands = timeline.wall_moments(report, "sent_ms")[1:1 + counts.told_ends]
    delays = [None if delay is None else delay * 1000
              for delay, _ in timeline.end_delays(report, wall, heard, commands)]
    start_ms = []
    for command in map(wall.recording_s, commands):
        first = heard.sound_from(command)
        start_ms.append(None if first is None else (first - command) * 1000)
    return delays, start_ms


def measure(session, counts):
    delays, start_ms = agent_delays(session, counts)
    floor = session.run_json("bare_post.exe", "--count", counts.told_ends)["late_ms"]
    heard = [delay for delay in delays if delay is not None]
    every = (len(heard) == counts.told_ends
             and all(EARLIEST_MS <= delay <= LATEST_MS for delay in heard))
    median = statistics.median(heard) if heard else float("nan")
    details = {"delays_ms": delays, "heard_after_command_ms": start_ms, "floor_ms": floor,
               "plays": counts.told_ends}
    return [
        verdict.check_row("ended told after the last sound heard, median", "ms", median,
                          statistics.median(floor), TARGET, every, details),
        verdict.check_row("ended told after the last sound heard, worst", "ms",
                          worst(heard) if heard else float("nan"), worst(floor),
                          f"{TARGET}, none missing", every),
    ]
