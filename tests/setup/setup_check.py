#!/usr/bin/env python3
"""scripts/setup on a day the package registry is broken, against a stand-in
package manager on the PATH (the machine's real package state is never
touched): `apt-get update` always fails, `:i386` packages are "held broken",
and, in one case, the cross compilers are refused too.

  setup_check.py
"""
import os
import stat
import subprocess
import sys
import tempfile
import unittest

SETUP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "setup")

# A package manager that knows only the file `installed` (one "name:arch" a
# line) and refuses what `refused` lists (one name a line) and every i386
# package. It logs every apt-get call.
STAND_INS = {
    "dpkg": """#!/bin/sh
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) echo i386 ;;
esac
""",
    "dpkg-query": """#!/bin/sh
for name; do :; done
for arch in amd64 i386; do
  grep -qx "$name:$arch" "$STATE/installed" && echo "installed $arch"
done
exit 0
""",
    "apt-get": """#!/bin/sh
echo "$*" >>"$STATE/apt-calls"
case "$1" in
  update)
    echo "Err:4 http://deb.example/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit 100 ;;
  install)
    shift
    for p; do
      case "$p" in
        -*) ;;
        *:i386) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
        *) if grep -qx "$p" "$STATE/refused"; then
             echo "E: Package '$p' has no installation candidate"; exit 100
           fi ;;
      esac
    done
    for p; do
      case "$p" in -*) ;; *) echo "$p:amd64" >>"$STATE/installed" ;; esac
    done ;;
esac
""",
    "sudo": """#!/bin/sh
exec "$@"
""",
}


class BrokenRegistry(unittest.TestCase):
    def setUp(self):
        self.state = tempfile.TemporaryDirectory()
        self.addCleanup(self.state.cleanup)
        self.bin = os.path.join(self.state.name, "bin")
        os.mkdir(self.bin)
        for name, text in STAND_INS.items():
            path = os.path.join(self.bin, name)
            with open(path, "w") as script:
                script.write(text)
            os.chmod(path, stat.S_IRWXU)
        for name in ("installed", "refused", "apt-calls"):
            open(os.path.join(self.state.name, name), "w").close()

    def refuse(self, *names):
        with open(os.path.join(self.state.name, "refused"), "w") as refused:
            refused.write("".join(name + "\n" for name in names))

    def lines(self, name):
        with open(os.path.join(self.state.name, name)) as listing:
            return listing.read().splitlines()

    def setup(self):
        environment = dict(os.environ, PATH=self.bin + os.pathsep + os.environ["PATH"],
                           STATE=self.state.name, QUAVEL_SETUP_UPDATE_TRIES="2",
                           QUAVEL_SETUP_RETRY_PAUSE="0")
        return subprocess.run(["bash", SETUP], env=environment, capture_output=True, text=True,
                              timeout=60)

    def test_without_32_bit_wine_everything_else_is_installed_and_setup_succeeds(self):
        run = self.setup()
        said = run.stdout + run.stderr
        self.assertEqual(run.returncode, 0, said)
        updates = [call for call in self.lines("apt-calls") if call.startswith("update")]
        self.assertEqual(len(updates), 2, "a failed update is tried again, then given up")
        self.assertIn("apt-get update failed (try 2 of 2)", said)
        self.assertIn("Mirror sync in progress?", said, "apt's own reason is passed on")
        self.assertIn("going on with the package lists there are", said)
        self.assertIn("32-bit Wine is not available", said)
        self.assertIn("held broken packages", said)
        self.assertIn("x86_64 build", said)
        installed = self.lines("installed")
        for package in ("g++-mingw-w64-i686", "g++-mingw-w64-x86-64", "wine64", "pulseaudio",
                        "gstreamer1.0-plugins-good", "cmake"):
            self.assertIn(package + ":amd64", installed)

    def test_missing_cross_compilers_fail_the_setup_by_name(self):
        self.refuse("g++-mingw-w64-i686")
        run = self.setup()
        self.assertNotEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("cannot install the cross compilers: g++-mingw-w64-i686", run.stderr)
        self.assertIn("no installation candidate", run.stderr)
        self.assertNotIn("cannot install the 64-bit Wine", run.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
