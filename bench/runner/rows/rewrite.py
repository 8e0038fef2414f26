"""A sound file rewritten by another program right after the agent opened
it and while it plays: a file under the agent's memory limit was read whole
and closed, so the rewrite succeeds; a larger one is streamed by the
platform's file source, which holds it open for reading only, and the
rewrite is refused (the figure beside, as information). After each file's
rounds it is opened again: a rewritten file renders afresh."""
from runner import verdict


def measure(session, counts, short_path, large_path):
    runs = {}
    for name, path in (("short", short_path), ("large", large_path)):
        runs[name] = session.run_json("rewrite_host.exe", "--file", path, "--count",
                                      counts.rewrites)
    short, large = runs["short"], runs["large"]
    problems = sum(run["lost"] + run["wrong"] for run in runs.values())
    details = {"short": short, "large": large,
               "baseline": "the same rounds with a file over the memory limit"}
    return [verdict.check_row("rewrite while open, file under the memory limit", "rewrites",
                              short["rewritten"], large["rewritten"],
                              f"all {counts.rewrites}",
                              short["rewritten"] == counts.rewrites and not problems, details)]
