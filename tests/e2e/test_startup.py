"""Start-up, close and end-of-session behaviour of corvane.exe in an empty or prepared folder."""
import os
import subprocess
import unittest

from harness import (IDM_MINIMIZE, Corvane, CorvaneTestCase, IDOK, TIMER_AUTOSAVE, WINE, WM_COMMAND,
                     WM_ENDSESSION, WM_QUERYENDSESSION, WM_TIMER, WPROBE, log_record, read_log,
                     run_cli, visible_windows, wait_until, wine_env)
from test_metering import send_over_loopback

NO_LOGGING = "[bandwidth]\ndolog=0\n"
# The loopback metered, and today's megabytes in and out shown.
METERING = "[network]\nactiveadapter=1\n[display]\nformat=%MBinouttoday%\n"
HOUR_LOG_FLUSHES = 0x8000 + 104  # answered with the hourly store's flushes handled


def hold_locked(test, path, *mode):
    """Another process holds the file open (without sharing unless mode says) until its stdin
    is closed."""
    locker = subprocess.Popen([WINE, WPROBE, "lock", path, *mode], env=wine_env(),
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    test.addCleanup(locker.stdout.close)
    test.addCleanup(lambda: locker.poll() is None and locker.kill())
    test.assertEqual(locker.stdout.readline().strip(), b"locked")
    return locker


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

    def test_place_on_an_unplugged_monitor_comes_back_to_the_work_area(self):
        app = self.launch(config="[display]\ntop=-32768\nleft=300\n" + NO_LOGGING)
        info, (left, top, right, bottom) = app.info(), app.work_area()
        self.assertEqual(info["left"], 300)
        self.assertTrue(top <= info["top"] and info["top"] + info["height"] <= bottom, info)

    def test_second_copy_in_the_same_folder_brings_the_first_forward(self):
        app = self.launch(config=NO_LOGGING)
        app.post(WM_COMMAND, IDM_MINIMIZE)
        self.assertTrue(wait_until(lambda: app.info()["visible"] == 0, timeout=15))
        second = subprocess.run([WINE, app.path("corvane.exe")], cwd=app.dir, env=app.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        self.assertEqual(second.returncode, 0)
        shown = lambda: app.info()["visible"] == 1 and app.info()["iconic"] == 0
        self.assertTrue(wait_until(shown, timeout=15))
        # A copy in another folder keeps its own files and runs beside the first.
        other = Corvane(config=NO_LOGGING)
        self.addCleanup(other.cleanup)
        other.spawn()
        self.assertTrue(wait_until(lambda: len(visible_windows("TCorvaneMain")) == 2, timeout=90))

    def test_lasting_autosave_failure_shows_one_box(self):
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": log_record(45000.0, 1, 2)})
        locker = hold_locked(self, app.path("bandlog.dat"))
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        box = app.wait_dialog("Corvane")
        self.assertIsNotNone(box, "no error box after a failed autosave")
        self.assertEqual(app.message_box_text(box), "I/O error 32.")
        # Two more periods fail while the box shows; its OK is handled after them.
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertTrue(wait_until(lambda: box not in visible_windows("#32770"), timeout=30))
        self.assertEqual(visible_windows("#32770", "Corvane"), [])

        locker.stdin.close()
        locker.wait(timeout=30)
        before = app.stamp("bandlog.dat")
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        self.assertTrue(wait_until(lambda: app.stamp("bandlog.dat") != before, timeout=30))
        self.assertEqual(read_log(app.path("bandlog.dat")), [(45000.0, 1, 2)])
        self.assertIsNone(app.proc.poll())

    def metered_mb(self, app):
        return float(app.child_text(app.hwnd, "TCorvaneStatsLabel", 0) or 0)

    def autosave(self, app, boxes=0):
        """One autosave period, and waits until its hourly flush has been handled; then as many
        error boxes as given are open."""
        handled = app.send(HOUR_LOG_FLUSHES)
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        self.assertTrue(wait_until(lambda: app.send(HOUR_LOG_FLUSHES) > handled, timeout=30))
        self.assertEqual(len(visible_windows("#32770", "Corvane")), boxes)

    def test_hourly_store_that_cannot_be_written_is_told_once_per_cause(self):
        app = Corvane(config=METERING)
        self.addCleanup(app.cleanup)
        path = app.path("hourlog.dat")
        os.mkdir(path)
        app.start()
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        box = app.wait_dialog("Corvane")
        self.assertIsNotNone(box, "no error box after a failed flush")
        self.assertTrue(app.message_box_text(box).startswith("The hourly history hourlog.dat cannot be "),
                        app.message_box_text(box))
        # Two more periods while the box shows: the meter and the daily log run on, no new box.
        send_over_loopback(1 << 20)
        self.assertTrue(wait_until(lambda: self.metered_mb(app) >= 2.0, timeout=30))
        saved = app.stamp("bandlog.dat")
        self.autosave(app, boxes=1)
        self.autosave(app, boxes=1)
        self.assertNotEqual(app.stamp("bandlog.dat"), saved)
        handled = app.send(HOUR_LOG_FLUSHES)
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertTrue(wait_until(lambda: app.send(HOUR_LOG_FLUSHES) > handled, timeout=30))
        self.autosave(app, boxes=0)

        # Told again only when the cause has cleared and come back.
        os.rmdir(path)
        self.autosave(app, boxes=0)
        self.assertTrue(os.path.isfile(path))
        os.remove(path)
        os.mkdir(path)
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        box = app.wait_dialog("Corvane")
        self.assertIsNotNone(box, "no error box when the fault came back")
        self.assertTrue(app.message_box_text(box).startswith("The hourly history hourlog.dat cannot be "))
        self.assertIsNone(app.proc.poll())

    def test_hourly_history_too_large_is_told_once_and_left_as_it_is(self):
        app = Corvane(config=METERING)
        self.addCleanup(app.cleanup)
        path = app.path("hourlog.dat")
        with open(path, "wb") as f:
            f.truncate(3 << 30)  # sparse: no disk space taken
        before = os.stat(path)
        app.start()
        send_over_loopback(1 << 20)
        self.assertTrue(wait_until(lambda: self.metered_mb(app) >= 2.0, timeout=30))
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        box = app.wait_dialog("Corvane")
        self.assertIsNotNone(box, "no word of the hourly history at all")
        text = app.message_box_text(box)
        self.assertTrue(text.startswith("The hourly history hourlog.dat cannot be read: "), text)
        self.assertIn("too large", text)
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertTrue(wait_until(lambda: not visible_windows("#32770", "Corvane"), timeout=30))
        self.autosave(app, boxes=0)
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        # The export does not try to load it either.
        code, _, err = run_cli(app.dir, "--export", "csv", "--period", "hours", "--out", "h.csv")
        self.assertEqual(code, 1, err)
        self.assertIn("too large", err)
        after = os.stat(path)
        self.assertEqual((after.st_size, after.st_mtime_ns, after.st_blocks),
                         (before.st_size, before.st_mtime_ns, before.st_blocks))
        self.assertGreaterEqual(sum(d[1] + d[2] for d in read_log(app.path("bandlog.dat"))), 2 << 20)

    def test_folder_named_in_any_script(self):
        # No 8-bit code page spells all of these letters.
        records = log_record(45000.0, 7, 8)
        app = self.launch(config="[display]\nleft=40\n" + NO_LOGGING,
                          files={"bandlog.dat": records + b"xx"}, folder="Пользователь 用户 Café")
        self.assertEqual(app.info()["left"], 40)
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.read("bandlog.dat"), records)
        self.assertEqual(app.read("config.ini"),
                         b"[display]\r\nleft=40\r\n\r\n[bandwidth]\r\ndolog=0\r\n\r\n")

    def test_log_held_by_a_reader_sharing_all_but_deletion_is_saved(self):
        records = log_record(45000.0, 1, 2)
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": records + b"xx"})
        hold_locked(self, app.path("bandlog.dat"), "shared")
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.read("bandlog.dat"), records)
        self.assertEqual([f for f in os.listdir(app.dir) if f.endswith(".tmp")], [])

    def test_locked_log_keeps_window_until_released(self):
        app = self.launch(config=NO_LOGGING, files={"bandlog.dat": log_record(45000.0, 1, 2)})
        locker = hold_locked(self, app.path("bandlog.dat"))

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
    def fail_to_start(self, prepare_log):
        """Starts after prepare_log(path of bandlog.dat); expects the error box and exit code 1."""
        app = Corvane(config=NO_LOGGING)
        self.addCleanup(app.cleanup)
        prepare_log(app.path("bandlog.dat"))
        app.spawn()
        box = app.wait_dialog("Application Error")
        self.assertIsNotNone(box)
        text = app.message_box_text(box)
        app.post(WM_COMMAND, IDOK, 0, hwnd=box)
        self.assertEqual(app.wait_exit(), 1)
        return app, text

    def test_unreadable_log_reports_and_exits_with_1(self):
        _, text = self.fail_to_start(os.mkdir)  # a folder where the file should be
        self.assertIn("File access denied.", text)

    def test_log_too_large_for_any_history_reported_and_left_as_it_is(self):
        size = (16 << 20) + 24

        def oversized(path):
            with open(path, "wb") as f:
                f.truncate(size)
        app, text = self.fail_to_start(oversized)
        self.assertIn("bandlog.dat\" is too large to load", text)
        self.assertEqual(os.path.getsize(app.path("bandlog.dat")), size)


if __name__ == "__main__":
    unittest.main()
