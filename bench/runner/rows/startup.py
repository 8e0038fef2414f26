"""Start to ready: from process creation until FindWindowA finds the window,
for the agent beside a bare program that builds two filter graphs and then
its window, as the agent does with its two channels. A bare window without
graphs is reported beside them: the platform's floor for starting a window
program."""
from quavel_harness import stats
from runner import verdict

MEDIAN_LIMIT = 1.10
P99_LIMIT = 1.5
BASELINE = "bare program: two graphs, then its window"


def measure(session, counts):
    result = session.run_json("startup_host.exe", "--count", counts.starts)
    agent, baseline = result["agent_us"], result["bare_two_graphs_us"]
    details = {"starts": counts.starts, "failures": result["failures"], "baseline": BASELINE}
    rows = [
        verdict.ratio_row("start to ready median", "us", stats.median(agent),
                          stats.median(baseline), MEDIAN_LIMIT, details),
        verdict.ratio_row("start to ready p99", "us", stats.p99(agent), stats.p99(baseline),
                          P99_LIMIT, details),
        verdict.info_row("start to ready median, plain window", "us", stats.median(agent),
                         stats.median(result["baseline_us"]),
                         {"baseline": "bare window without graphs"}),
    ]
    if result["failures"]:
        for row in rows[:2]:
            row.verdict = verdict.MISS
    return rows
