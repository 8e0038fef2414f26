"""The command line of the end-to-end check scripts:

  SCRIPT SCENARIO --bin DIR --work DIR --pulse DIR -- RUNNER...

RUNNER is the command that runs a Windows program (scripts/wine-run with its
options). A scenario is a function of a WineSession that returns what went
wrong; the script exits non-zero with those reasons."""
import argparse
import os
import sys

from .wine import WineSession


def main(scenarios):
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(scenarios))
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--pulse", required=True)
    arguments = sys.argv[1:]
    split = arguments.index("--") if "--" in arguments else len(arguments)
    options = parser.parse_args(arguments[:split])
    runner = arguments[split + 1:]
    runner[0] = os.path.abspath(runner[0])
    session = WineSession(runner, options.bin, options.work, options.pulse)
    try:
        problems = scenarios[options.scenario](session)
    finally:
        session.close()
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0
