"""Command round trip: four commands on a playing channel, the agent beside
a bare window whose procedure makes the same graph calls on a loaded,
playing graph before it answers, in turns within one host process. The
plain bare window (no graph call) is reported beside them: the platform's
floor for a message round trip."""
from quavel_harness import protocol, stats
from runner import verdict

MEDIAN_LIMIT = 1.10
P99_LIMIT = 1.5
HUNDREDTHS = 100
BASELINE = "bare window making the same graph calls on a playing graph"


def commands(duration_s):
    """(name, argument, lowest and highest right reply) on channel 1 playing
    a file of `duration_s` from its start."""
    return [
        ("HC_GetState", "", 2, 2),
        ("HC_GetPosition", "", 0, int(duration_s * HUNDREDTHS)),
        ("HC_SetVolume", "100", 100, 100),
        ("HC_IsPlaying", "", 1, 1),
    ]


def measure(session, counts, duration_s):
    rows = []
    for name, argument, lowest, highest in commands(duration_s):
        session.quavelctl("set-position", "0")
        options = ["--code", protocol.code(name), "--min", lowest, "--max", highest,
                   "--count", counts.round_trips]
        if argument:
            options += ["--arg", argument]
        result = session.run_json("round_trip_host.exe", *options)
        agent, baseline, plain = result["agent_us"], result["baseline_us"], result["plain_us"]
        details = {"calls": counts.round_trips, "baseline": BASELINE,
                   "lost": result["agent_lost"], "wrong": result["agent_wrong"],
                   "baseline_lost": result["baseline_lost"],
                   "baseline_wrong": result["baseline_wrong"]}
        replies_right = result["agent_lost"] == 0 and result["agent_wrong"] == 0
        median_row = verdict.ratio_row(f"round trip {name} median", "us", stats.median(agent),
                                       stats.median(baseline), MEDIAN_LIMIT, details)
        p99_row = verdict.ratio_row(f"round trip {name} p99", "us", stats.p99(agent),
                                    stats.p99(baseline), P99_LIMIT, details)
        if not replies_right:
            median_row.verdict = p99_row.verdict = verdict.MISS
        plain_row = verdict.info_row(f"round trip {name} median, plain window", "us",
                                     stats.median(agent), stats.median(plain),
                                     {"baseline": "bare window answering at once"})
        rows += [median_row, p99_row, plain_row]
    return rows


def profile(session, counts, file_path):
    """The agent's own share of a command: its dispatcher and channel code
    in-process, no messages, beside the bare graph calls."""
    result = session.run_json("dispatch_profile.exe", "--file", file_path,
                              "--count", counts.round_trips)
    return {key: {"median_us": stats.median(samples), "p99_us": stats.p99(samples)}
            for key, samples in result.items()}
