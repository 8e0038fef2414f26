"""Idle cost: CPU time of the agent and of a bare window program holding the
same kind of graphs (empty, or with the same files loaded and stopped) over
the same interval, as a percentage of one core, with both processes'
private bytes beside. With eight short sounds' graphs kept besides, the
agent is measured against itself holding none, in the phase just before,
the bare window running through both as a control."""
import time

from runner import cpu_time, process_status, verdict

LIMIT = 1.5
KEPT_LIMIT = 1.10
PERCENT = 100.0


def sample(session, counts, agent_pid, baseline):
    """CPU of the agent and of `baseline` over the idle interval, in percent
    of a core, and what both hold."""
    pids = [agent_pid, baseline.pid]
    wall_start = time.monotonic()
    starts = [cpu_time.cpu_seconds(pid) for pid in pids]
    time.sleep(counts.idle_s)
    agent_s, baseline_s = [cpu_time.cpu_seconds(pid) - start for pid, start in zip(pids, starts)]
    wall_s = time.monotonic() - wall_start
    memory = session.run_json("process_memory.exe")
    details = {"seconds": wall_s, "agent_linux_status": process_status.status(agent_pid),
               "agent_private_bytes": memory["agent_pagefile_usage"],
               "agent_working_set_bytes": memory["agent_working_set"],
               "agent_private_usage_as_reported": memory["agent_private_usage"],
               "baseline_private_bytes": memory["baseline_pagefile_usage"],
               "baseline_working_set_bytes": memory["baseline_working_set"]}
    return PERCENT * agent_s / wall_s, PERCENT * baseline_s / wall_s, details


def measure(session, counts, agent_pid, baseline, phase, graphs, limit=LIMIT):
    """`baseline` is the bare window started for this phase; `graphs` says
    what it holds."""
    agent, bare, details = sample(session, counts, agent_pid, baseline)
    details["baseline"] = f"bare window program holding {graphs}"
    return [verdict.ratio_row(f"idle CPU, {phase}", "% of a core", agent, bare, limit, details)]


def measure_kept(session, counts, agent_pid, baseline, before, sounds):
    """`before` is the row of the phase just measured, with nothing kept;
    the agent now keeps the graphs of `sounds` besides."""
    agent, bare, details = sample(session, counts, agent_pid, baseline)
    details.update({"baseline": "the agent itself, both channels loaded, nothing kept, "
                                "measured just before",
                    "control_bare_window_before": before.baseline,
                    "control_bare_window_now": bare})
    rows = [verdict.ratio_row(f"idle CPU, both channels loaded, {sounds} sounds kept",
                              "% of a core", agent, before.agent, KEPT_LIMIT, details)]
    now, then = details["agent_linux_status"], before.details["agent_linux_status"]
    held = [("private bytes", "bytes", details["agent_private_bytes"],
             before.details["agent_private_bytes"]),
            ("threads", "threads", now["threads"], then["threads"]),
            ("address space (data and stacks)", "bytes", now["data_bytes"], then["data_bytes"])]
    for what, unit, agent_now, agent_before in held:
        rows.append(verdict.info_row(f"held by {sounds} kept sounds: {what}", unit,
                                     agent_now - agent_before, None,
                                     {"agent_before": agent_before, "agent_now": agent_now}))
    return rows
