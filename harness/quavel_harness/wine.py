"""One Wine session: the built programs run in the project's private,
headless prefix (scripts/wine-run), playing into the private sound device
(scripts/sound-device), with what it plays recorded."""
import itertools
import json
import os
import subprocess
import tempfile
import time

from . import recorder

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPTS = os.path.join(ROOT, "scripts")
# Wine starts programs slowly on a loaded machine.
PROGRAM_BOUND_S = 600
AGENT_START_BOUND_MS = 60000
STOP_BOUND_S = 10


class ProgramFailed(RuntimeError):
    pass


def json_report(output):
    """The last line a bench program prints is its JSON report."""
    return json.loads(output.strip().splitlines()[-1])


class Program:
    """A program started in the session. Its output goes to a file, never a
    pipe: the prefix's service processes can inherit a pipe and hold it open
    long after the program has ended."""

    def __init__(self, command, work_dir, log):
        self.log = log
        self.process = subprocess.Popen(command, cwd=work_dir, stdin=subprocess.DEVNULL,
                                        stdout=log, stderr=subprocess.STDOUT)

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=PROGRAM_BOUND_S):
        return self.process.wait(timeout=timeout)

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def report(self):
        return json_report(self.output())

    def wait_for_line(self, line, timeout):
        """True once the program has printed `line` (False if it ended or
        the time ran out first)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if line in (text.strip() for text in self.output().splitlines()):
                return True
            if not self.running():
                return False
            time.sleep(0.02)
        return False

    def stop(self):
        """Ends it if it is still running: a failed step must not leave a
        program behind for the next."""
        if self.running():
            self.process.terminate()
            try:
                self.process.wait(timeout=STOP_BOUND_S)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


class WineSession:
    def __init__(self, runner, bin_dir, work_dir, pulse_dir):
        """`runner` runs a Windows program: scripts/wine-run with its options."""
        self.runner = list(runner)
        self.bin_dir = os.path.abspath(bin_dir)
        self.work_dir = os.path.abspath(work_dir)
        self.pulse_dir = os.path.abspath(pulse_dir)
        self.started = []
        self.numbers = itertools.count()
        os.makedirs(self.work_dir, exist_ok=True)

    @classmethod
    def in_state(cls, arch, state_dir, bin_dir, work_dir):
        """The session of a state directory: its prefix and its sound device."""
        state_dir = os.path.abspath(state_dir)
        runner = [os.path.join(SCRIPTS, "wine-run"), "--arch", arch, "--state", state_dir]
        return cls(runner, bin_dir, work_dir, os.path.join(state_dir, "pulse"))

    def command(self, program, *arguments):
        return self.runner + [os.path.join(self.bin_dir, program), *map(str, arguments)]

    def outcome(self, program, *arguments, timeout=PROGRAM_BOUND_S):
        """(exit code, standard output, standard error) of a program run to
        its end, one that may fail on purpose included. The outputs keep the
        line ends the program wrote. `timeout` bounds a program that does
        more work than most."""
        with tempfile.TemporaryFile("w+", newline="") as output, \
                tempfile.TemporaryFile("w+", newline="") as errors:
            code = subprocess.run(self.command(program, *arguments), cwd=self.work_dir,
                                  stdin=subprocess.DEVNULL, stdout=output, stderr=errors,
                                  timeout=timeout).returncode
            output.seek(0)
            errors.seek(0)
            return code, output.read(), errors.read()

    def run(self, program, *arguments, timeout=PROGRAM_BOUND_S):
        """Its output; raises ProgramFailed when it exits non-zero."""
        code, output, errors = self.outcome(program, *arguments, timeout=timeout)
        if code != 0:
            raise ProgramFailed(f"{program} {' '.join(map(str, arguments))} failed ({code}): "
                                f"{(errors or output).strip()[-500:]}")
        return output

    def run_json(self, program, *arguments, timeout=PROGRAM_BOUND_S):
        return json_report(self.run(program, *arguments, timeout=timeout))

    def succeeds(self, program, *arguments):
        return self.outcome(program, *arguments)[0] == 0

    def start(self, program, *arguments):
        """A program left running; its output is kept in the work directory
        for a post-mortem."""
        log = open(self.file(f"{program}.{next(self.numbers)}.out"), "w+")
        started = Program(self.command(program, *arguments), self.work_dir, log)
        self.started.append(started)
        return started

    def start_agent(self, *arguments):
        """An agent in service mode, returned once its window exists."""
        agent = self.start("quavel.exe", *arguments)
        self.quavelctl("wait", AGENT_START_BOUND_MS)
        return agent

    def quavelctl(self, *arguments):
        """quavelctl's reply, as text."""
        return self.run("quavelctl.exe", *arguments).strip()

    def ask(self, *arguments):
        """quavelctl's reply, as a number."""
        return int(self.quavelctl(*arguments))

    def windows_path(self, name):
        """A file of the work directory as the agent opens it: the Unix root
        is drive Z: under Wine."""
        return "Z:" + os.path.join(self.work_dir, name)

    def file(self, name):
        return os.path.join(self.work_dir, name)

    def recorder(self, name):
        return recorder.Recorder(self.pulse_dir, self.file(name))

    def sound_device(self, action):
        subprocess.run([os.path.join(SCRIPTS, "sound-device"), action, self.pulse_dir],
                       check=True)

    def wine_server(self, action):
        """One Wine server for a whole run (see scripts/wine-run --server):
        programs started one after another never meet one that is ending."""
        subprocess.run(self.runner + ["--server", action], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=PROGRAM_BOUND_S)

    def close(self):
        for started in self.started:
            started.stop()
        self.started = []
