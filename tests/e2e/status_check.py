#!/usr/bin/env python3
"""End to end: `quavelctl status` against a live agent under Wine, in both
of its forms, for a channel with a known file and for an empty one, and its
exit codes when there is no agent, when the command line is malformed and
when the agent does not answer; quavelctl's help, version and the bytes of
a reply, as a POSIX shell reading them under Wine gets them.

  status_check.py status --bin DIR --work DIR --pulse DIR -- RUNNER...
"""
import json
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import check_script, project, signals, wav  # noqa: E402

EXIT_ANSWERED, EXIT_NO_AGENT, EXIT_USAGE, EXIT_TIMED_OUT = 0, 1, 2, 3
EMPTY = {"state": "no file", "position": 0.0, "duration": 0.0, "volume": 0, "loop": False}
TEXT_LINE = re.compile(r"channel (\d): ([a-z ]+), (-?\d+\.\d\d) s of (-?\d+\.\d\d) s, "
                       r"volume (\d+) %, loop (on|off)$")
EXIT_BOUND_S = 60
UNITS = ("milliseconds", "hundredths of a second", "percent")


class Checks:
    """Collects what went wrong instead of stopping at the first."""

    def __init__(self, session):
        self.session = session
        self.problems = []

    def expect(self, condition, problem):
        if not condition:
            self.problems.append(problem)
        return condition

    def status(self, *options):
        """The JSON status, or None (with the reason noted)."""
        code, output, errors = self.session.outcome("quavelctl.exe", *options, "status", "--json")
        if not self.expect(code == EXIT_ANSWERED, f"status {options} exited {code}: {errors}"):
            return None
        try:
            return json.loads(output)
        except ValueError:
            self.expect(False, f"status --json {options} printed no JSON: {output!r}")
            return None

    def text_status(self):
        """The text status as the JSON form's members."""
        code, output, errors = self.session.outcome("quavelctl.exe", "status")
        self.expect(code == EXIT_ANSWERED, f"status exited {code}: {errors}")
        channels = {}
        for line in output.splitlines():
            match = TEXT_LINE.match(line)
            if not self.expect(match, f"status printed {line!r}"):
                continue
            number, state, position, duration, volume, loop = match.groups()
            channels["channel" + number] = {
                "state": state, "position": float(position), "duration": float(duration),
                "volume": int(volume), "loop": loop == "on"}
        return channels

    def fails(self, arguments, code, why):
        """quavelctl with `arguments` exits with `code` and prints nothing on
        its standard output."""
        found, output, _ = self.session.outcome("quavelctl.exe", *arguments)
        self.expect(found == code and output == "",
                    f"{why}: {' '.join(arguments)} exited {found} printing {output!r}, "
                    f"not {code} and nothing")


def check_help_and_version(checks):
    """--help and -h print the usage, with the unit of every kind of number,
    on standard output and succeed; a malformed command line still prints it
    on standard error and fails; --version names the project's version."""
    for option in ("--help", "-h"):
        code, output, _ = checks.session.outcome("quavelctl.exe", option)
        checks.expect(code == EXIT_ANSWERED and output.startswith("usage:") and
                      all(unit in output for unit in UNITS) and "\r" not in output,
                      f"{option} exited {code} printing {output[:200]!r}")
    code, output, errors = checks.session.outcome("quavelctl.exe", "--help", "status")
    checks.expect(code == EXIT_USAGE and output == "" and "usage:" in errors,
                  f"--help with an argument exited {code} printing {output!r}, {errors!r}")
    code, output, _ = checks.session.outcome("quavelctl.exe", "--version")
    checks.expect((code, output) == (EXIT_ANSWERED, f"quavelctl {project.version()}\n"),
                  f"--version exited {code} printing {output!r}")


def check_status(session):
    """A 3 s tone on channel 1 at volume 50, looping; channel 2 empty but
    with its loop flag set (the flag belongs to the channel, not the file).
    Each step moves channel 1 into another state, so every state word, the
    seconds' formatting and each field's place are read back."""
    checks = Checks(session)
    check_help_and_version(checks)
    checks.fails(["status"], EXIT_NO_AGENT, "without an agent")

    tone = signals.tone(signals.CHANNEL_HZ[0], 3.0, 0.3)
    wav.write(session.file("tone.wav"), [tone, tone], signals.RATE)
    agent = session.start_agent()
    both = checks.status()
    checks.expect(both == {"channel1": EMPTY, "channel2": EMPTY}, f"fresh agent: {both}")
    state = session.outcome("quavelctl.exe", "state")[:2]
    checks.expect(state == (EXIT_ANSWERED, "-1\n"), f"state of a fresh agent: {state}")

    assert session.quavelctl("open", session.windows_path("tone.wav")) == "1"
    session.quavelctl("set-volume", "50")
    session.quavelctl("set-loop", "1")
    session.quavelctl("--channel", "2", "set-loop", "1")
    session.quavelctl("run")
    both = checks.status()
    if both:
        first, second = both.get("channel1", {}), both.get("channel2")
        checks.expect(first.get("state") == "playing", f"playing channel 1: {first}")
        checks.expect(0.0 <= first.get("position", -1) < 3.0, f"position: {first}")
        checks.expect({key: first.get(key) for key in ("duration", "volume", "loop")} ==
                      {"duration": 3.0, "volume": 50, "loop": True}, f"channel 1: {first}")
        checks.expect(second == dict(EMPTY, loop=True), f"empty channel 2: {second}")
    only = checks.status("--channel", "2")
    checks.expect(only == {"channel2": dict(EMPTY, loop=True)}, f"--channel 2: {only}")

    # A stopped graph reports the seek target as its position: a known value.
    session.quavelctl("stop")
    session.quavelctl("set-position", "150")
    text = checks.text_status()
    both = checks.status()
    checks.expect(both and both["channel1"] == {"state": "stopped", "position": 1.5,
                                                "duration": 3.0, "volume": 50, "loop": True},
                  f"stopped at 1.50 s: {both}")
    checks.expect(text == both, f"the text form says {text}, the JSON form {both}")

    session.quavelctl("set-loop", "0")
    session.quavelctl("set-position", "290")
    session.quavelctl("run")
    first = (checks.status("--channel", "1") or {}).get("channel1", {})
    checks.expect(first.get("state") == "paused or finished", f"within 0.25 s of the end: {first}")

    checks.fails(["status", "--xml"], EXIT_USAGE, "an unknown option")
    checks.fails(["--channel", "3", "status"], EXIT_USAGE, "a channel that does not exist")

    # While it fades channel 1 out the agent answers nothing. A graph that
    # has played to its end starts again only from a stop.
    session.quavelctl("stop")
    session.quavelctl("set-position", "0")
    session.quavelctl("run")
    assert session.quavelctl("is-playing") == "1"
    session.quavelctl("quit")
    checks.fails(["--timeout", "500", "status"], EXIT_TIMED_OUT, "during the fade")
    code = agent.wait(timeout=EXIT_BOUND_S)
    checks.expect(code == 0, f"agent exit code {code}")
    checks.fails(["status", "--json"], EXIT_NO_AGENT, "after the agent has gone")
    return checks.problems


if __name__ == "__main__":
    sys.exit(check_script.main({"status": check_status}))
