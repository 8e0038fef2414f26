"""Start to ready: process creation until FindWindowA finds the window."""
from analysis import stats
from runner import verdict

LIMIT = 1.25


def measure(session, counts):
    result = session.run_json("startup_host.exe", "--count", counts.starts)
    details = {"starts": counts.starts, "failures": result["failures"],
               "bare_with_two_graphs_median_us": stats.median(result["bare_two_graphs_us"])}
    row = verdict.ratio_row("start to ready median", "us", stats.median(result["agent_us"]),
                            stats.median(result["baseline_us"]), LIMIT, details)
    if result["failures"]:
        row.verdict = verdict.MISS
    return [row]
