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
    return {
        "cpu_model": cpu_model(),
        "cores": os.cpu_count(),
        "kernel": platform.release(),
        "wine": wine.strip(),
        "architecture_run": arch,
        "load_average_at_start": os.getloadavg()[0],
        "date": time.strftime("%Y-%m-%d %H:%M:%S %z"),
    }
