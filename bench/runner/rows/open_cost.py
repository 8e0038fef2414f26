"""What opens cost the agent over thousands of them, beside the platform's
own graph build, RenderFile and release in a bare program: handles, threads
and private bytes per open (the slope over the second half of the opens,
once warm), and how many opens a 32-bit agent could do before its private
bytes reach 2 GB at that slope. Patterns: the same file with HC_Close
between, the same file again (the file the channel holds), two formats
in turn, and a set of short sounds in turn, each opened once before (their
graphs kept). The bare program has no held file: its figures for both
same-file patterns are one run."""
from quavel_harness import wine
from runner import verdict

HANDLES_PER_OPEN = 1.0
HELD_BYTES_PER_OPEN = 1024.0
# Kept sounds cost nothing per open: a slope under this is no growth, only
# the platform's pools coming and going over the run.
NONE_PER_OPEN = 0.01
ADDRESS_SPACE_BYTES = 2 ** 31
# A bare open takes 20-150 ms under Wine, several times that on a machine
# others load: thousands of them outlast the bound of an ordinary program.
SECONDS_PER_OPEN_BOUND = 0.5

PATTERNS = [("same file, HC_Close between", "close", "same"),
            ("same file again (held)", "held", "same"),
            ("two formats in turn", "alternate", "alternate"),
            ("eight short sounds in turn (kept)", "set", "set")]


def slope(xs, ys):
    """Least-squares growth of `ys` per unit of `xs`."""
    count = len(xs)
    mean_x = sum(xs) / count
    mean_y = sum(ys) / count
    spread = sum((x - mean_x) ** 2 for x in xs)
    if not spread:
        return 0.0
    return sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, ys)) / spread


def per_open(result):
    """Slopes over the second half of the samples: the first opens still
    fill the platform's caches."""
    half = len(result["opens"]) // 2
    opens = result["opens"][half:]
    figures = {key: slope(opens, result[key][half:])
               for key in ("handles", "threads", "private_bytes")}
    last = result["private_bytes"][-1]
    growth = figures["private_bytes"]
    figures["opens_before_2gb"] = (ADDRESS_SPACE_BYTES - last) / growth if growth > 0 else None
    figures["opens"] = result["opens"][-1]
    figures["seconds"] = result["seconds"]
    return figures


def kept_rows(name, agent, baseline, problems, details):
    """Handles, threads and private bytes per open of sounds whose graphs
    are kept: none of the first two, at most a kilobyte of the last."""
    limits = [("handles", NONE_PER_OPEN), ("threads", NONE_PER_OPEN),
              ("private bytes", HELD_BYTES_PER_OPEN)]
    return [verdict.check_row(f"open cost, {name}: {what}", "per open",
                              agent[what.replace(" ", "_")], baseline[what.replace(" ", "_")],
                              f"<= {limit:g}",
                              agent[what.replace(" ", "_")] <= limit and not problems, details)
            for what, limit in limits]


def measure(session, counts, file_path, other_path, set_paths):
    arguments = ["--file", file_path, "--other", other_path, "--set", "|".join(set_paths),
                 "--count", counts.cost_opens, "--every", counts.cost_every]
    bound = max(wine.PROGRAM_BOUND_S, counts.cost_opens * SECONDS_PER_OPEN_BOUND)
    bare = {}
    for pattern in ("same", "alternate", "set"):
        result = session.run_json("bare_open_cost.exe", "--pattern", pattern, *arguments,
                                  timeout=bound)
        bare[pattern] = dict(per_open(result), failures=result["failures"])
    rows = []
    for name, pattern, bare_pattern in PATTERNS:
        result = session.run_json("open_cost_host.exe", "--pattern", pattern, *arguments,
                                  timeout=bound)
        agent = per_open(result)
        baseline = bare[bare_pattern]
        problems = result["lost"] + result["wrong"] + baseline["failures"]
        details = {"agent": agent, "baseline": baseline, "lost": result["lost"],
                   "wrong": result["wrong"]}
        if pattern == "set":
            rows += kept_rows(name, agent, baseline, problems, details)
            continue
        handles = verdict.check_row(f"open cost, {name}: handles", "per open", agent["handles"],
                                    baseline["handles"], f"<= {HANDLES_PER_OPEN:.0f}",
                                    agent["handles"] <= HANDLES_PER_OPEN and not problems,
                                    details)
        if pattern == "held":
            memory = verdict.check_row(f"open cost, {name}: private bytes", "per open",
                                       agent["private_bytes"], baseline["private_bytes"],
                                       f"<= {HELD_BYTES_PER_OPEN:.0f}",
                                       agent["private_bytes"] <= HELD_BYTES_PER_OPEN, details)
        else:
            memory = verdict.check_row(f"open cost, {name}: private bytes", "per open",
                                       agent["private_bytes"], baseline["private_bytes"],
                                       "<= baseline",
                                       agent["private_bytes"] <= baseline["private_bytes"],
                                       details)
        rows += [handles, memory]
    return rows
