"""Command round trip: four commands on a playing channel, agent beside the
bare window, alternating in blocks within one host process."""
from analysis import stats
from runner import verdict

MEDIAN_LIMIT = 1.10
P99_LIMIT = 1.5
HUNDREDTHS = 100


def commands(duration_s):
    """(name, code, argument, lowest and highest right reply) on channel 1
    playing a file of `duration_s` from its start."""
    return [
        ("HC_GetState", 9, "", 2, 2),
        ("HC_GetPosition", 10, "", 0, int(duration_s * HUNDREDTHS)),
        ("HC_SetVolume", 15, "100", 100, 100),
        ("HC_IsPlaying", 6, "", 1, 1),
    ]


def measure(session, counts, duration_s):
    rows = []
    for name, code, argument, lowest, highest in commands(duration_s):
        session.quavelctl("set-position", "0")
        options = ["--code", code, "--min", lowest, "--max", highest, "--count", counts.round_trips]
        if argument:
            options += ["--arg", argument]
        result = session.run_json("round_trip_host.exe", *options)
        agent, bare = result["agent_us"], result["baseline_us"]
        details = {"calls": counts.round_trips, "lost": result["agent_lost"],
                   "wrong": result["agent_wrong"],
                   "baseline_lost": result["baseline_lost"],
                   "baseline_wrong": result["baseline_wrong"]}
        replies_right = result["agent_lost"] == 0 and result["agent_wrong"] == 0
        median_row = verdict.ratio_row(f"round trip {name} median", "us", stats.median(agent),
                                       stats.median(bare), MEDIAN_LIMIT, details)
        p99_row = verdict.ratio_row(f"round trip {name} p99", "us", stats.p99(agent),
                                    stats.p99(bare), P99_LIMIT, details)
        if not replies_right:
            median_row.verdict = verdict.MISS
        rows += [median_row, p99_row]
    return rows


def profile(session, counts, file_path):
    """The agent's own share of a command: its dispatcher and channel code
    in-process, no messages, beside the bare graph calls."""
    result = session.run_json("dispatch_profile.exe", "--file", file_path,
                              "--count", counts.round_trips)
    return {key: {"median_us": stats.median(samples), "p99_us": stats.p99(samples)}
            for key, samples in result.items()}
