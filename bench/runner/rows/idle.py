"""Idle cost: CPU time of the agent and of a bare window program holding the
same kind of graphs (empty, or with the same files loaded and stopped) over
the same interval, as a percentage of one core, with both processes'
private bytes beside."""
import time

from runner import cpu_time, verdict

LIMIT = 1.5
PERCENT = 100.0


def measure(session, counts, agent_pid, baseline, phase, graphs, limit=LIMIT):
    """`baseline` is the bare window started for this phase; `graphs` says
    what it holds."""
    pids = [agent_pid, baseline.pid]
    wall_start = time.monotonic()
    starts = [cpu_time.cpu_seconds(pid) for pid in pids]
    time.sleep(counts.idle_s)
    agent_s, baseline_s = [cpu_time.cpu_seconds(pid) - start for pid, start in zip(pids, starts)]
    wall_s = time.monotonic() - wall_start
    memory = session.run_json("process_memory.exe")
    details = {"seconds": wall_s, "baseline": f"bare window program holding {graphs}",
               "agent_private_bytes": memory["agent_pagefile_usage"],
               "agent_working_set_bytes": memory["agent_working_set"],
               "agent_private_usage_as_reported": memory["agent_private_usage"],
               "baseline_private_bytes": memory["baseline_pagefile_usage"],
               "baseline_working_set_bytes": memory["baseline_working_set"]}
    return [verdict.ratio_row(f"idle CPU, {phase}", "% of a core", PERCENT * agent_s / wall_s,
                              PERCENT * baseline_s / wall_s, limit, details)]
