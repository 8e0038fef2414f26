"""What the figures were measured on."""
import os
import platform
import subprocess
import time

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")


def cpu_model():
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor()


def describe(arch):
    loader = subprocess.run([os.path.join(SCRIPTS, "wine-arch"), "--loader", arch],
                            capture_output=True, text=True, check=True).stdout.strip()
    wine = subprocess.run([loader, "--version"], capture_output=True, text=True).stdout
    why = subprocess.run([os.path.join(SCRIPTS, "wine-arch"), "--why"],
                         capture_output=True, text=True, check=True).stdout.strip()
    return {
        "cpu_model": cpu_model(),
        "cores": os.cpu_count(),
        "kernel": platform.release(),
        "wine": wine.strip(),
        "architecture_run": arch,
        "architecture_why": why.split(": ", 1)[-1],
        "load_average_at_start": os.getloadavg()[0],
        "date": time.strftime("%Y-%m-%d %H:%M:%S %z"),
    }
