"""HC_OpenFile of a 10 s stereo WAV, then HC_Close, beside the platform's
RenderFile in a bare program; the two alternate in rounds."""
from analysis import stats
from runner import verdict

LIMIT = 1.10


def measure(session, counts, file_path):
    agent, render, build = [], [], []
    problems = 0
    per_round = max(1, counts.opens // counts.open_rounds)
    for _ in range(counts.open_rounds):
        bare = session.run_json("bare_render.exe", "--file", file_path, "--count", per_round)
        render += bare["render_us"]
        build += bare["build_us"]
        problems += bare["failures"]
        host = session.run_json("open_file_host.exe", "--file", file_path, "--count", per_round)
        agent += host["open_us"]
        problems += host["lost"] + host["wrong"]
    details = {"opens": len(agent), "failures": problems,
               "baseline_graph_build_median_us": stats.median(build),
               "baseline_build_and_render_median_us":
                   stats.median([a + b for a, b in zip(build, render)]),
               "agent_p99_us": stats.p99(agent)}
    row = verdict.ratio_row("HC_OpenFile 10 s WAV median", "us", stats.median(agent),
                            stats.median(render), LIMIT, details)
    if problems:
        row.verdict = verdict.MISS
    return [row]
