"""HC_OpenFile of a 10 s stereo WAV, then HC_Close, beside a bare program
that does the same platform work in-process (build a graph with the agent's
four interfaces, RenderFile, release); the two alternate in rounds. The
render alone is reported beside them."""
from quavel_harness import stats
from runner import verdict

LIMIT = 1.10
BASELINE = "bare program: build a graph and render the file"


def measure(session, counts, file_path):
    agent, render, build_and_render = [], [], []
    problems = 0
    per_round = max(1, counts.opens // counts.open_rounds)
    for _ in range(counts.open_rounds):
        bare = session.run_json("bare_render.exe", "--file", file_path, "--count", per_round)
        render += bare["render_us"]
        build_and_render += [a + b for a, b in zip(bare["build_us"], bare["render_us"])]
        problems += bare["failures"]
        host = session.run_json("open_file_host.exe", "--file", file_path, "--count", per_round)
        agent += host["open_us"]
        problems += host["lost"] + host["wrong"]
    details = {"opens": len(agent), "failures": problems, "baseline": BASELINE,
               "agent_p99_us": stats.p99(agent)}
    row = verdict.ratio_row("HC_OpenFile 10 s WAV median", "us", stats.median(agent),
                            stats.median(build_and_render), LIMIT, details)
    if problems:
        row.verdict = verdict.MISS
    return [row, verdict.info_row("HC_OpenFile 10 s WAV median, render alone", "us",
                                  stats.median(agent), stats.median(render),
                                  {"baseline": "bare RenderFile on a graph built beforehand"})]
