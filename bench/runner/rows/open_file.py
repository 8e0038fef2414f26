"""HC_OpenFile of a 10 s stereo WAV, then HC_Close, beside a bare program
that does the same platform work in-process (build a graph with the agent's
four interfaces, RenderFile, release); the two alternate in rounds, with the
agent's opens of a kept sound between. The file is short enough to be played
from memory: the agent's fresh opens are each of a new version of it (its
last write moved on), read whole and rendered; its kept opens take the graph
it kept from the open before. The render alone is reported beside them."""
from quavel_harness import stats
from runner import verdict

LIMIT = 1.10
KEPT_LIMIT_US = 5000
BASELINE = "bare program: build a graph and render the file"


def host_opens(session, file_path, per_round, fresh, problems):
    host = session.run_json("open_file_host.exe", "--file", file_path, "--count", per_round,
                            "--fresh", 1 if fresh else 0)
    problems.append(host["lost"] + host["wrong"])
    return host["open_us"]


def measure(session, counts, file_path):
    agent, kept, render, build_and_render = [], [], [], []
    problems = []
    per_round = max(1, counts.opens // counts.open_rounds)
    for _ in range(counts.open_rounds):
        bare = session.run_json("bare_render.exe", "--file", file_path, "--count", per_round)
        render += bare["render_us"]
        build_and_render += [a + b for a, b in zip(bare["build_us"], bare["render_us"])]
        problems.append(bare["failures"])
        agent += host_opens(session, file_path, per_round, True, problems)
        kept += host_opens(session, file_path, per_round, False, problems)
    failures = sum(problems)
    details = {"opens": len(agent), "failures": failures, "baseline": BASELINE,
               "agent_p99_us": stats.p99(agent)}
    row = verdict.ratio_row("HC_OpenFile 10 s WAV median", "us", stats.median(agent),
                            stats.median(build_and_render), LIMIT, details)
    if failures:
        row.verdict = verdict.MISS
    kept_median = stats.median(kept)
    kept_row = verdict.check_row(
        "HC_OpenFile 10 s WAV median, kept", "us", kept_median, stats.median(agent),
        f"<= {KEPT_LIMIT_US}", kept_median <= KEPT_LIMIT_US and not failures,
        {"opens": len(kept), "agent_p99_us": stats.p99(kept),
         "baseline": "the agent's fresh opens of the same file, same rounds"})
    return [row, kept_row,
            verdict.info_row("HC_OpenFile 10 s WAV median, render alone", "us",
                             stats.median(agent), stats.median(render),
                             {"baseline": "bare RenderFile on a graph built beforehand"})]
