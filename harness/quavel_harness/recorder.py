"""What the sound device plays, recorded from its monitor with PulseAudio's
own recorder.

The null sink renders in blocks as long as the latency its clients ask for,
and while nothing plays that is up to two seconds: a recorder that has just
connected gets nothing until the block under way ends, so the first audio
played after it starts could be lost. `Recorder` therefore returns only once
audio is arriving. Its own latency is short enough that stopping it, a
moment after the last audio, loses none of the tail; PulseAudio keeps
megabytes for a record stream, so a busy machine that reads late drops
nothing either."""
import os
import signal
import subprocess
import time

from . import wav

SINK = "quavel"
RATE = 44100
FRAME_BYTES = 4
LATENCY_MS = 50
# Audio is arriving once the file holds this much.
ARRIVING_S = 0.1
ARRIVAL_BOUND_S = 10
# Time for the last audio played to reach the file before the recorder stops.
TAIL_S = 0.5
EXIT_BOUND_S = 30


def environment(pulse_dir):
    """What a PulseAudio client (or a Wine process) needs to find the
    private daemon."""
    return dict(os.environ, PULSE_RUNTIME_PATH=pulse_dir,
                PULSE_SERVER="unix:" + os.path.join(pulse_dir, "native"))


class Recorder:
    """Records the sound device's monitor while the block runs (stereo,
    16-bit, RATE) into `path`."""

    def __init__(self, pulse_dir, path):
        self.pulse_dir = pulse_dir
        self.path = path
        self.process = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *failure):
        self.stop()
        return False

    def start(self):
        if os.path.exists(self.path):
            os.remove(self.path)
        self.process = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--format=s16le", f"--rate={RATE}",
             "--channels=2", f"--latency-msec={LATENCY_MS}", "--file-format=wav", self.path],
            env=environment(self.pulse_dir), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + ARRIVAL_BOUND_S
        while not self._arriving():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("the recorder gets no audio from the sound device")
            time.sleep(0.02)

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            time.sleep(TAIL_S)
            self.process.send_signal(signal.SIGINT)
        try:
            self.process.wait(timeout=EXIT_BOUND_S)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process = None

    def _arriving(self):
        return self.recorded_s() >= ARRIVING_S

    def recorded_s(self):
        """How much has reached the file so far: where in the recording
        something happening now will be heard (give or take the recorder's
        latency)."""
        try:
            return max(0, os.path.getsize(self.path) - wav.HEADER_BYTES) / FRAME_BYTES / RATE
        except OSError:
            return 0.0

    def read(self):
        """(rate, channels) of what was recorded."""
        return wav.read(self.path)

    def read_mono(self):
        return wav.read_mono(self.path)
