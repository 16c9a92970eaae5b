"""Start-up, close and end-of-session behaviour of corvane.exe in an empty or prepared folder."""
import os
import subprocess
import unittest

from harness import (CorvaneTestCase, IDOK, WINE, WM_COMMAND, WM_ENDSESSION, WM_QUERYENDSESSION,
                     WPROBE, log_record, read_log, wait_until, wine_env)

NO_LOGGING = "[bandwidth]\ndolog=0\n"


class StartupTest(CorvaneTestCase):
    def test_empty_folder_default_window_and_files(self):
        app = self.launch()
        info = app.info()
        self.assertEqual((info["left"], info["top"]), (5, 5))
        self.assertEqual((info["width"], info["height"]), (180, 228))
        self.assertTrue(os.path.exists(app.path("bandlog.dat")))
        self.assertEqual(os.path.getsize(app.path("bandlog.dat")), 0)
        self.assertFalse(os.path.exists(app.path("config.ini")))
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertTrue(os.path.exists(app.path("config.ini")))

    def test_partial_record_dropped_on_close(self):
        records = log_record(45000.0, 1000, 2000) + log_record(45001.0, 3, 4)
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": records + b"\x07\x07"})
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.read("bandlog.dat"), records)

    def test_left_over_update_files_removed_and_others_kept(self):
        # What the update check leaves is ours; "setup.exe" beside a portable copy is not.
        ours = {"corvane-update.tmp": b"[build]\r\n", "corvane-update-7.exe": b"MZ old setup"}
        others = {"setup.exe": b"MZ another program", "corvane-update-7.txt": b"notes"}
        app = self.launch(config=NO_LOGGING, files=dict(ours, **others))
        self.assertTrue(wait_until(lambda: not any(os.path.exists(app.path(n)) for n in ours),
                                   timeout=10))
        for name, data in others.items():
            self.assertEqual(app.read(name), data)

    def test_top_beyond_screen_goes_to_zero(self):
        app = self.launch(config="[display]\ntop=100000\nleft=-50\n" + NO_LOGGING)
        info = app.info()
        self.assertEqual((info["left"], info["top"]), (-50, 0))

    def test_locked_log_keeps_window_until_released(self):
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": log_record(45000.0, 1, 2)})
        locker = subprocess.Popen([WINE, WPROBE, "lock", app.path("bandlog.dat")], env=wine_env(),
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.addCleanup(locker.stdout.close)
        self.addCleanup(lambda: locker.poll() is None and locker.kill())
        self.assertEqual(locker.stdout.readline().strip(), b"locked")

        app.close()
        box = app.wait_dialog("Corvane")
        self.assertIsNotNone(box, "no error box after a failed close")
        self.assertEqual(app.message_box_text(box), "I/O error 32.")
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertIsNone(app.proc.poll(), "the window must stay open")
        self.assertTrue(app.info()["visible"])

        locker.stdin.close()
        locker.wait(timeout=30)
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(read_log(app.path("bandlog.dat")), [(45000.0, 1, 2)])
        self.assertEqual([f for f in os.listdir(app.dir) if f.endswith(".tmp")], [])

    def test_end_of_session_saves_log_and_configuration(self):
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": log_record(45000.0, 5, 6) + b"xx"})
        self.assertEqual(app.send(WM_QUERYENDSESSION), 1)
        app.send(WM_ENDSESSION, 1, 0)
        app.proc.kill()
        app.proc.wait(timeout=30)
        self.assertEqual(app.read("bandlog.dat"), log_record(45000.0, 5, 6))
        self.assertIn(b"dolog=0", app.read("config.ini"))


class StartupFailureTest(CorvaneTestCase):
    def test_unreadable_log_reports_and_exits_with_1(self):
        from harness import Corvane
        app = Corvane(config=NO_LOGGING)
        self.addCleanup(app.cleanup)
        os.mkdir(app.path("bandlog.dat"))  # a folder where the file should be
        app.proc = subprocess.Popen([WINE, app.path("corvane.exe")], cwd=app.dir, env=wine_env(),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        box = app.wait_dialog("Application Error")
        self.assertIsNotNone(box)
        self.assertIn("File access denied.", app.message_box_text(box))
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertEqual(app.wait_exit(), 1)


if __name__ == "__main__":
    unittest.main()
