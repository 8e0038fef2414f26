"""One Wine session for the whole run: the bench's own prefix and sound
device, the programs run in it and recordings of what it plays."""
import json
import os
import signal
import subprocess
import tempfile
import time

# Wine starts programs slowly on a loaded machine.
PROGRAM_BOUND_S = 600
RECORDER_SETTLE_S = 0.5
# parec's default buffer holds seconds of audio, which a stop discards; a
# very short one drops audio when the machine is busy.
RECORDER_LATENCY_MS = 200


class WineSession:
    def __init__(self, root, arch, bin_dir, state_dir, work_dir):
        self.root = root
        self.bin_dir = bin_dir
        self.state_dir = state_dir
        self.work_dir = work_dir
        self.pulse_dir = os.path.join(state_dir, "pulse")
        self.runner = [os.path.join(root, "scripts", "wine-run"), "--arch", arch,
                       "--state", state_dir]
        self.started = []

    def command(self, program, *arguments):
        return self.runner + [os.path.join(self.bin_dir, program), *map(str, arguments)]

    def run(self, program, *arguments):
        """Output goes through files, not pipes: a program that happens to
        start the Wine server hands it its standard handles, and the server
        outlives the program, so a pipe would never reach its end."""
        with tempfile.TemporaryFile("w+") as output, tempfile.TemporaryFile("w+") as errors:
            code = subprocess.run(self.command(program, *arguments), stdout=output,
                                  stderr=errors, timeout=PROGRAM_BOUND_S,
                                  cwd=self.work_dir).returncode
            output.seek(0)
            errors.seek(0)
            if code != 0:
                raise RuntimeError(f"{program} {' '.join(map(str, arguments))} failed "
                                   f"({code}): {errors.read().strip()[-500:]}")
            return output.read()

    def run_json(self, program, *arguments):
        """The last line a bench program prints is its JSON report."""
        return json.loads(self.run(program, *arguments).strip().splitlines()[-1])

    def start(self, program, *arguments):
        process = subprocess.Popen(self.command(program, *arguments), cwd=self.work_dir,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.started.append(process)
        return process

    def succeeds(self, program, *arguments):
        return subprocess.run(self.command(program, *arguments), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=PROGRAM_BOUND_S,
                              cwd=self.work_dir).returncode == 0

    def quavelctl(self, *arguments):
        return int(self.run("quavelctl.exe", *arguments).strip() or 0)

    def windows_path(self, name):
        """The agent opens Unix files through drive Z:."""
        return "Z:" + os.path.join(os.path.abspath(self.work_dir), name)

    def sound_device(self, action):
        subprocess.run([os.path.join(self.root, "scripts", "sound-device"), action,
                        self.pulse_dir], check=True)

    def wine_server(self, action):
        """One Wine server for the whole run (see scripts/wine-run --server):
        programs started one after another never meet one that is ending."""
        subprocess.run(self.runner + ["--server", action], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=PROGRAM_BOUND_S)

    def recorder(self, name):
        return Recorder(self.pulse_dir, os.path.join(self.work_dir, name))

    def close(self):
        """Ends whatever is still running: a failed row must not leave an
        agent behind for the next run."""
        for process in self.started:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


class Recorder:
    """Records the sound device's monitor while the block runs."""

    def __init__(self, pulse_dir, path):
        self.path = path
        self.environment = dict(os.environ, PULSE_RUNTIME_PATH=pulse_dir,
                                PULSE_SERVER="unix:" + os.path.join(pulse_dir, "native"))
        self.process = None

    def __enter__(self):
        self.process = subprocess.Popen(
            ["parec", "-d", "quavel.monitor", "--format=s16le", "--rate=44100", "--channels=2",
             "--file-format=wav", f"--latency-msec={RECORDER_LATENCY_MS}", self.path],
            env=self.environment)
        time.sleep(RECORDER_SETTLE_S)
        return self

    def __exit__(self, *failure):
        time.sleep(RECORDER_SETTLE_S)
        self.process.send_signal(signal.SIGINT)
        self.process.wait(timeout=30)
        return False
