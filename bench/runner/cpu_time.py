"""CPU time of a Wine process, read on the Linux side: under Wine,
GetProcessTimes on another process reads 0. Every thread's scheduler
statistics are summed, the media framework's threads included."""
import os


def cpu_seconds(pid):
    total_ns = 0
    task_dir = f"/proc/{pid}/task"
    for thread in os.listdir(task_dir):
        try:
            with open(os.path.join(task_dir, thread, "schedstat")) as stats:
                total_ns += int(stats.read().split()[0])
        except FileNotFoundError:
            continue
    return total_ns / 1e9


def running_program(pid, program):
    """Checks that `pid` is the Windows program itself, not a launcher."""
    with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
        return program.encode() in cmdline.read()
