"""The setup program under Wine: a silent per-user install, starting the installed program, an
upgrade over an installed copy (stopped, running, or refusing to close), the uninstaller, silent
and answered by hand, and the Authenticode signatures of a signed build."""
import os
import shutil
import subprocess
import unittest

from install_support import (EXE, IDNO, RUN_KEY, SETUP, SIGNED_EXE, SIGNED_SETUP, TEST_CERT,
                             TESTKEY_EXE, UNINSTALL_KEY, UNINSTALL_TITLE, VERSION, WINE, WM_CLOSE,
                             WM_COMMAND, InstallerTestCase, harness, log_record, probe, read_file,
                             read_log, wait_until, write_file)

RECORDS = [(44927.0, 123456789, 987654), (45000.0, 5, 6), (45001.0, 2 ** 40 + 3, 2 ** 33)]
LOG = b"".join(log_record(*r) for r in RECORDS)
HOURS = b"\x07" * 48  # the hourly history: kept or removed with the rest, whatever it holds
CONFIG = (b"[network]\r\nactiveadapter=999999\r\n[display]\r\nleft=40\r\ntop=30\r\n"
          b"format=Kept %MBinthisyear%\r\n[bandwidth]\r\ndolog=0\r\n")


class InstallTest(InstallerTestCase):
    def setUp(self):
        self.install()

    def tearDown(self):
        # Back to a clean profile for the next test, whatever this one left.
        for name in os.listdir(self.install_dir) if os.path.isdir(self.install_dir) else []:
            os.remove(self.path(name))
        if os.path.exists(self.shortcut):
            os.remove(self.shortcut)
        self.wine("reg", "delete", UNINSTALL_KEY, "/f", check=False)
        self.wine("reg", "delete", RUN_KEY, "/v", "wendrel", "/f", check=False)

    def prepare_data(self):
        write_file(self.path("bandlog.dat"), LOG)
        write_file(self.path("hourlog.dat"), HOURS)
        write_file(self.path("config.ini"), CONFIG)

    def test_silent_install_puts_program_shortcut_and_entry(self):
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(EXE))
        self.assertTrue(os.path.isfile(self.path("uninstall.exe")))
        self.assertTrue(os.path.isfile(self.shortcut))
        folder = self.windows_path(self.install_dir)
        self.assertTrue(folder.lower().endswith(r"\appdata\local\programs\corvane"), folder)
        self.assertIn((folder + "\\corvane.exe").encode("utf-16-le"), read_file(self.shortcut))

        entry = self.reg_values(UNINSTALL_KEY)
        self.assertEqual(entry["DisplayName"], "Corvane")
        self.assertEqual(entry["DisplayVersion"], VERSION)
        self.assertEqual(entry["Publisher"], "The Corvane developers")
        self.assertEqual(entry["DisplayIcon"], folder + "\\corvane.exe,0")
        self.assertEqual(entry["InstallLocation"], folder)
        self.assertEqual(entry["UninstallString"], f'"{folder}\\uninstall.exe"')
        self.assertEqual(entry["QuietUninstallString"], f'"{folder}\\uninstall.exe" /S')
        program_kb = (os.path.getsize(EXE) + os.path.getsize(self.path("uninstall.exe"))) / 1024
        self.assertLessEqual(abs(entry["EstimatedSize"] - program_kb), 2)

    def test_installed_program_starts_and_keeps_its_files_beside_itself(self):
        proc, hwnd = self.start_installed()
        self.assertTrue(os.path.exists(self.path("bandlog.dat")))
        probe("post", hwnd, WM_CLOSE, 0, 0)
        self.assertEqual(proc.wait(timeout=60), 0)
        self.assertTrue(os.path.exists(self.path("config.ini")))

    def test_upgrade_keeps_usage_history_and_settings_byte_for_byte(self):
        self.prepare_data()
        write_file(self.path("corvane.exe"), b"MZ an older build")
        self.install()
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(EXE))
        self.assertEqual(read_file(self.path("bandlog.dat")), LOG)
        self.assertEqual(read_file(self.path("hourlog.dat")), HOURS)
        self.assertEqual(read_file(self.path("config.ini")), CONFIG)
        self.assertEqual(self.reg_values(UNINSTALL_KEY)["DisplayVersion"], VERSION)

    def test_upgrade_closes_a_running_corvane_which_saves_first(self):
        self.prepare_data()
        proc, _ = self.start_installed()
        # A day's record that only the running program knows about: it reaches the file only
        # if the program is asked to close rather than killed.
        write_file(self.path("bandlog.dat"), LOG[:24])
        self.install()
        self.assertEqual(proc.wait(timeout=30), 0, "Corvane was not closed by the setup program")
        self.assertEqual(read_log(self.path("bandlog.dat")), RECORDS)
        self.assertIn(b"format=Kept %MBinthisyear%", read_file(self.path("config.ini")))
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(EXE))

    def test_setup_beside_a_copy_replaces_that_copy(self):
        # The update dialog saves the setup program beside the copy that asked for it.
        portable = os.path.join(self.prefix, "drive_c", "stick", "Corvane")
        os.makedirs(portable)
        shutil.copy(TESTKEY_EXE, os.path.join(portable, "corvane.exe"))
        setup = os.path.join(portable, "corvane-update-7.exe")
        shutil.copy(SETUP, setup)
        write_file(os.path.join(portable, "bandlog.dat"), LOG)
        self.assertEqual(self.wine(setup, "/S").returncode, 0)
        self.assertEqual(read_file(os.path.join(portable, "corvane.exe")), read_file(EXE))
        self.assertEqual(read_file(os.path.join(portable, "bandlog.dat")), LOG)
        self.assertEqual(self.reg_values(UNINSTALL_KEY)["InstallLocation"],
                         self.windows_path(portable))

        # A folder given on the command line wins.
        self.assertEqual(self.wine(setup, "/S",
                                   "/D=" + self.windows_path(self.install_dir)).returncode, 0)
        self.assertEqual(self.reg_values(UNINSTALL_KEY)["InstallLocation"],
                         self.windows_path(self.install_dir))

    def test_upgrade_stops_when_corvane_does_not_close(self):
        shutil.copy(TESTKEY_EXE, self.path("corvane.exe"))  # a build the setup would replace
        self.prepare_data()
        proc, _ = self.start_installed()
        # A locked log makes the close fail: Corvane reports it and stays open.
        locker = subprocess.Popen([WINE, harness.WPROBE, "lock", self.path("bandlog.dat")],
                                  env=harness.wine_env(), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.end_later(locker)
        self.assertEqual(locker.stdout.readline().strip(), b"locked")

        result = self.wine(SETUP, "/S", timeout=180, check=False)
        self.assertEqual(result.returncode, 2)
        self.assertIsNone(proc.poll())
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(TESTKEY_EXE))
        self.assertEqual(read_file(self.path("bandlog.dat")), LOG)

    def verify_signature(self, path):
        """osslsigncode's check of a file's Authenticode signature against the tests' certificate."""
        return subprocess.run(["osslsigncode", "verify", "-CAfile", TEST_CERT, "-in", path],
                              capture_output=True, timeout=60)

    def assert_signed(self, path):
        result = self.verify_signature(path)
        report = result.stdout.decode("latin-1")
        self.assertEqual(result.returncode, 0, f"{path}: {report}{result.stderr!r}")
        self.assertRegex(report, r"Message digest algorithm\s*: SHA256")
        self.assertIn("Signature verification: ok", report)

    def test_signed_setup_installs_signed_programs_and_the_program_starts(self):
        self.assertNotEqual(self.verify_signature(SETUP).returncode, 0,
                            "a setup program not signed with the test certificate passed")
        self.assert_signed(SIGNED_SETUP)
        self.install(setup=SIGNED_SETUP)
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(SIGNED_EXE))
        for name in ("corvane.exe", "uninstall.exe"):
            self.assert_signed(self.path(name))
        proc, hwnd = self.start_installed()
        probe("post", hwnd, WM_CLOSE, 0, 0)
        self.assertEqual(proc.wait(timeout=60), 0)

    def test_silent_uninstall_removes_program_and_keeps_data(self):
        self.prepare_data()
        folder = self.windows_path(self.install_dir)
        self.reg_set(RUN_KEY, "wendrel", f'"{folder}\\corvane.exe"')
        write_file(self.path("corvane-update-7.exe"), b"MZ left by an update")
        write_file(self.path("setup.exe"), b"MZ another program")
        self.uninstall_quietly()

        for name in ("corvane.exe", "uninstall.exe", "corvane-update-7.exe"):
            self.assertFalse(os.path.exists(self.path(name)), name)
        self.assertEqual(read_file(self.path("setup.exe")), b"MZ another program")
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertIsNone(self.reg_values(UNINSTALL_KEY))
        self.assertNotIn("wendrel", self.reg_values(RUN_KEY) or {})
        self.assertEqual(read_file(self.path("bandlog.dat")), LOG)
        self.assertEqual(read_file(self.path("hourlog.dat")), HOURS)
        self.assertEqual(read_file(self.path("config.ini")), CONFIG)

    def test_uninstall_leaves_the_start_up_entry_of_another_copy(self):
        other = os.path.join(self.prefix, "drive_c", "portable")
        os.makedirs(other)
        write_file(os.path.join(other, "corvane.exe"), read_file(EXE))
        command = '"' + self.windows_path(os.path.join(other, "corvane.exe")) + '"'
        self.reg_set(RUN_KEY, "wendrel", command)
        self.uninstall_quietly()
        self.assertEqual(self.reg_values(RUN_KEY).get("wendrel"), command)
        self.assertFalse(os.path.exists(self.path("corvane.exe")))

    def test_uninstall_asks_and_removes_the_data_when_not_kept(self):
        self.prepare_data()
        proc = subprocess.Popen([WINE, self.path("uninstall.exe")], env=harness.wine_env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.end_later(proc)
        window = self.wait_window("#32770", UNINSTALL_TITLE)
        self.click_button(window, "&Uninstall")

        def question():
            for box in self.windows("#32770"):
                texts = (probe("child-text", box, "Static", i, check=False).stdout
                         for i in range(3))
                if box != window and any(t.startswith(b"Keep your usage history") for t in texts):
                    return box
            return None
        box = wait_until(question, timeout=60, interval=0.5)
        self.assertIsNotNone(box, "no question whether to keep the usage history and settings")
        probe("post", box, WM_COMMAND, IDNO, 0)
        self.click_button(window, "&Close")
        self.assertTrue(wait_until(lambda: not os.path.exists(self.install_dir), timeout=60))
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertIsNone(self.reg_values(UNINSTALL_KEY))

if __name__ == "__main__":
    unittest.main()
