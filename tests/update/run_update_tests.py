#!/usr/bin/env python3
"""Runs the Windows update tests with a real HTTP server beside them.

Python's http.server serves a fresh temporary folder on 127.0.0.1; the test program (run
through the given Wine wrapper) learns the port and the folder from CORVANE_TEST_HTTP_PORT and
CORVANE_TEST_DOCROOT, writes the files it wants served into the folder, and downloads them.

  run_update_tests.py WINE_RUN TEST_EXE [gtest arguments...]
"""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    wine_run, exe, *extra = sys.argv[1:]
    docroot = tempfile.mkdtemp(prefix="corvane-update-site-")
    handler = functools.partial(QuietHandler, directory=docroot)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    env = dict(os.environ)
    env["CORVANE_TEST_HTTP_PORT"] = str(server.server_address[1])
    env["CORVANE_TEST_DOCROOT"] = "Z:" + docroot.replace("/", "\\")
    try:
        return subprocess.run([wine_run, exe, *extra], env=env, timeout=840).returncode
    finally:
        server.shutdown()
        server.server_close()
        shutil.rmtree(docroot, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
