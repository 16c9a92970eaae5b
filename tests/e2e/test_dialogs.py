"""The dialogs reached from the running program: settings by its shortcut, and the update
check against a local server."""
import functools
import http.server
import os
import threading
import time
import unittest

from harness import CorvaneTestCase, IDOK, WM_COMMAND, probe, wait_until, xdotool

IDM_CHECKUPDATES = 40003


class SettingsShortcutTest(CorvaneTestCase):
    def test_f4_opens_settings_and_ok_without_a_configuration(self):
        # With no config.ini the dialog shows the slider at its lowest value and an empty
        # template, so confirming at once makes the window translucent and empty.
        app = self.launch()
        info = app.info()
        # A click on the text gives the window the keyboard focus (and stores its place).
        xdotool("mousemove", info["left"] + 40, info["top"] + 40)
        xdotool("click", 1)
        xdotool("key", "F4")
        dialog = probe("wait", "Settings", 30000, check=False).stdout.decode().strip()
        self.assertTrue(dialog, "F4 did not open the settings dialog")
        time.sleep(1)
        app.screenshot("settings_from_f4.png")
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: os.path.exists(app.path("config.ini")), timeout=30))
        config = app.read("config.ini").decode("latin-1")
        self.assertTrue(config.startswith("[display]\r\ntop=5\r\nleft=5\r\nopacity=10\r\n"), config)
        self.assertIn("\r\nformat=\r\n", config)
        self.assertNotIn("activeadapter", config)
        self.assertTrue(wait_until(lambda: app.info()["alpha"] == 20, timeout=15))
        label = lambda: app.child_text(app.hwnd, "TCorvaneStatsLabel", 0)
        self.assertTrue(wait_until(lambda: label() == b"", timeout=15))


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class UpdateCheckTest(CorvaneTestCase):
    def serve(self, files):
        root = self.enterContext(__import__("tempfile").TemporaryDirectory())
        for name, data in files.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), functools.partial(QuietHandler, directory=root))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        return server.server_address[1]

    def test_current_build_reports_no_updates_and_leaves_other_files_alone(self):
        # A portable copy among other programs' files, as in a Downloads folder.
        others = {"setup.exe": b"MZ another program", "version.tmp": b"another program's"}
        port = self.serve({"udf/wendrel.udf": b"[build]\r\nversion=6\r\npath=127.0.0.1/setup.exe\r\n"})
        app = self.launch(config="[bandwidth]\ndolog=0\n", files=others,
                          env={"CORVANE_UPDATE_HOST": "127.0.0.1", "CORVANE_UPDATE_PORT": str(port)})
        app.post(WM_COMMAND, IDM_CHECKUPDATES, 0)
        box = app.wait_dialog("No Updates")
        self.assertIsNotNone(box, "no answer from the update check")
        self.assertEqual(app.message_box_text(box), "Your version of Corvane is up to date")
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        gone = lambda: probe("wait", "Auto-Update", 1, check=False).returncode != 0
        self.assertTrue(wait_until(gone, timeout=30))
        self.assertFalse(os.path.exists(app.path("corvane-update.tmp")))
        self.assertIsNone(app.proc.poll())
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(sorted(os.listdir(app.dir)),
                         ["bandlog.dat", "config.ini", "corvane.exe", "setup.exe", "version.tmp"])
        for name, data in others.items():
            self.assertEqual(app.read(name), data)


if __name__ == "__main__":
    unittest.main()
