"""What a Wine process holds as Linux counts it (/proc/PID/status): every
thread, the media framework's own included, which Windows' counts of another
process do not show under Wine, and the address space its data and stacks
take, which is what a 32-bit agent runs out of."""

KEYS = {"Threads": "threads", "VmData": "data_bytes", "VmRSS": "resident_bytes"}
KIB = 1024


def status(pid):
    found = {}
    with open(f"/proc/{pid}/status") as lines:
        for line in lines:
            name, _, value = line.partition(":")
            if name in KEYS:
                fields = value.split()
                found[KEYS[name]] = int(fields[0]) * (KIB if fields[1:] == ["kB"] else 1)
    return found
