#!/usr/bin/env python3
"""Runs the Windows update tests with a real HTTP server beside them.

Python's http.server serves a fresh temporary folder on 127.0.0.1; the test program (run
through the given Wine wrapper) learns the port and the folder from CORVANE_TEST_HTTP_PORT and
CORVANE_TEST_DOCROOT, writes the files it wants served into the folder, and downloads them.
The test program and the programs beside it run from a copy in a folder whose name no ANSI
code page spells, as a user's profile folder may be named, so that every file the update
writes or starts there must be reached with wide file calls.

  run_update_tests.py WINE_RUN TEST_EXE [gtest arguments...]
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from corvane_env import serve_folder, stop_server  # noqa: E402


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    wine_run, exe, *extra = sys.argv[1:]
    home = tempfile.mkdtemp(prefix="corvane-update-tests-\u041f\u043e\u043b\u044c\u0437-\u6570-")
    built = os.path.dirname(os.path.abspath(exe))
    for name in os.listdir(built):
        if name.endswith(".exe"):
            shutil.copy(os.path.join(built, name), home)
    exe = os.path.join(home, os.path.basename(exe))
    docroot = tempfile.mkdtemp(prefix="corvane-update-site-")
    server = serve_folder(docroot)
    env = dict(os.environ)
    env["CORVANE_TEST_HTTP_PORT"] = str(server.server_address[1])
    env["CORVANE_TEST_DOCROOT"] = "Z:" + docroot.replace("/", "\\")
    # Wine reads the program's Unix path in the locale's character set; in the C locale it
    # cannot open a program in such a folder at all.
    env["LC_ALL"] = "C.UTF-8"
    try:
        return subprocess.run([wine_run, exe, *extra], env=env, timeout=840).returncode
    finally:
        stop_server(server)
        shutil.rmtree(docroot, ignore_errors=True)
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
