#!/usr/bin/env python3
"""The Windows package: cpack in the i686 product tree makes
quavel-VERSION-win32.zip holding exactly the two programs, the two host
headers and the README, and both programs in it carry the project's version
in their version resource, read back the way Windows reads a file's
properties (a small program under Wine, which reads the i686 files from a
64-bit process alike).

  package_check.py --cpack CPACK --tree DIR --work DIR --bin DIR -- RUNNER...

DIR of --bin holds the reader, version_resource.exe.
"""
import argparse
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import project  # noqa: E402
from quavel_harness.wine import WineSession  # noqa: E402

CONTENTS = ["README.md", "bin/quavel.exe", "bin/quavelctl.exe",
            "include/quavel/host.h", "include/quavel/protocol.h"]
DESCRIPTIONS = {"quavel.exe": "Quavel audio playback agent",
                "quavelctl.exe": "Quavel command-line host client"}
PACKAGE_BOUND_S = 300
READER = "version_resource.exe"


def make_package(cpack, tree, work):
    """The zip's path, made afresh in `work`."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    subprocess.run([cpack, "-G", "ZIP", "--config", os.path.join(tree, "CPackConfig.cmake"),
                    "-B", work], check=True, timeout=PACKAGE_BOUND_S)
    return os.path.join(work, f"quavel-{project.version()}-win32.zip")


def version_resource(session, path):
    """The resource's "Name=value" lines as a dict, or what the reader said
    when it found none."""
    code, output, errors = session.outcome(READER, session.windows_path(path))
    if code != 0:
        return errors.strip()
    return dict(line.split("=", 1) for line in output.splitlines())


def check(options, runner):
    problems = []
    version = project.version()
    package = make_package(options.cpack, options.tree, options.work)
    top = os.path.basename(package)[:-len(".zip")]
    with zipfile.ZipFile(package) as archive:
        files = sorted(name for name in archive.namelist() if not name.endswith("/"))
        print(f"{os.path.basename(package)}:")
        for name in files:
            print(f"  {archive.getinfo(name).file_size:>9}  {name}")
        expected = sorted(f"{top}/{name}" for name in CONTENTS)
        if files != expected:
            problems.append(f"the zip holds {files}, not {expected}")
        archive.extractall(options.work)

    session = WineSession(runner, options.bin, options.work, options.work)
    fixed = ".".join((version.split(".") + ["0"] * 4)[:4])
    for program, description in DESCRIPTIONS.items():
        found = version_resource(session, os.path.join(top, "bin", program))
        print(f"{program}: {found}")
        wanted = {"FILEVERSION": fixed, "PRODUCTVERSION": fixed, "FileVersion": version,
                  "ProductVersion": version, "ProductName": "Quavel",
                  "FileDescription": description}
        if not isinstance(found, dict):
            problems.append(f"{program}: {found}")
            continue
        wrong = {key: found.get(key) for key, value in wanted.items() if found.get(key) != value}
        if wrong:
            problems.append(f"{program}'s version resource has {wrong}, not {wanted}")
    return problems


def main():
    arguments = sys.argv[1:]
    split = arguments.index("--")
    parser = argparse.ArgumentParser()
    for option in ("--cpack", "--tree", "--work", "--bin"):
        parser.add_argument(option, required=True)
    options = parser.parse_args(arguments[:split])
    problems = check(options, arguments[split + 1:])
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
