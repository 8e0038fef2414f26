"""Idle cost: CPU time of the agent and of the bare window (same 50 ms timer)
over the same interval, as a percentage of one core."""
import time

from runner import cpu_time, verdict

LIMIT = 1.5
PERCENT = 100.0


def measure(session, counts, agent_pid, bare_pid, phase, profile=None):
    """`profile`, a bare window holding graphs like the agent's, is measured
    over the same interval and ended before the memory probe looks for the
    bare window."""
    pids = [agent_pid, bare_pid] + ([profile.pid] if profile else [])
    wall_start = time.monotonic()
    starts = [cpu_time.cpu_seconds(pid) for pid in pids]
    time.sleep(counts.idle_s)
    used = [cpu_time.cpu_seconds(pid) - start for pid, start in zip(pids, starts)]
    wall_s = time.monotonic() - wall_start
    agent_s, bare_s = used[0], used[1]
    if profile:
        profile.terminate()
        profile.wait()
    memory = session.run_json("process_memory.exe")
    details = {"seconds": wall_s,
               "agent_private_bytes": memory["agent_pagefile_usage"],
               "agent_working_set_bytes": memory["agent_working_set"],
               "agent_private_usage_as_reported": memory["agent_private_usage"],
               "baseline_private_bytes": memory["baseline_pagefile_usage"],
               "baseline_working_set_bytes": memory["baseline_working_set"]}
    if profile:
        details["bare_with_same_graphs_cpu_percent"] = PERCENT * used[2] / wall_s
    return [verdict.ratio_row(f"idle CPU, {phase}", "% of a core", PERCENT * agent_s / wall_s,
                              PERCENT * bare_s / wall_s, LIMIT, details)]
