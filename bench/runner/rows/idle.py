"""Idle cost: CPU time of the agent and of the bare window (same 50 ms timer)
over the same interval, as a percentage of one core."""
import time

from runner import cpu_time, verdict

LIMIT = 1.5
PERCENT = 100.0


def measure(session, counts, agent_pid, bare_pid, phase):
    wall_start = time.monotonic()
    agent_start = cpu_time.cpu_seconds(agent_pid)
    bare_start = cpu_time.cpu_seconds(bare_pid)
    time.sleep(counts.idle_s)
    agent_s = cpu_time.cpu_seconds(agent_pid) - agent_start
    bare_s = cpu_time.cpu_seconds(bare_pid) - bare_start
    wall_s = time.monotonic() - wall_start
    memory = session.run_json("process_memory.exe")
    details = {"seconds": wall_s,
               "agent_private_bytes": memory["agent_pagefile_usage"],
               "agent_working_set_bytes": memory["agent_working_set"],
               "agent_private_usage_as_reported": memory["agent_private_usage"],
               "baseline_private_bytes": memory["baseline_pagefile_usage"],
               "baseline_working_set_bytes": memory["baseline_working_set"]}
    return [verdict.ratio_row(f"idle CPU, {phase}", "% of a core", PERCENT * agent_s / wall_s,
                              PERCENT * bare_s / wall_s, LIMIT, details)]
