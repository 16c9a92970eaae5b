"""The update path end to end under Wine: an installed Corvane that trusts the tests' key finds
a newer build on a local web server, downloads the real setup program, signed with that key,
and starts it; Corvane closes, the setup's pages are clicked through as a user would, and the
upgraded Corvane starts with the usage history of the old one."""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from install_support import (EXE, IDM_CHECKUPDATES, IDYES, SETUP, SETUP_TITLE, SIGNER, TEST_KEY, TESTKEY_EXE,
                             WM_CLOSE, WM_COMMAND, InstallerTestCase, harness, log_record, probe,
                             read_file, screenshot, serve_folder, stop_server, wait_until,
                             write_file)

EPOCH = datetime.date(1899, 12, 30)
TEMPLATE = "Year %MBinthisyear% MB"


def day_number(date):
    return float((date - EPOCH).days)


class UpdateInstallTest(InstallerTestCase):
    def serve_update(self):
        """A web site with a descriptor that names build 7: the real setup program, signed with
        the tests' key for that build. Returns the port."""
        site = tempfile.mkdtemp(prefix="corvane-update-site-")
        self.addCleanup(shutil.rmtree, site, True)
        os.makedirs(os.path.join(site, "udf"))
        os.makedirs(os.path.join(site, "files"))
        shutil.copy(SETUP, os.path.join(site, "files", "corvane-setup-7.exe"))
        signature = subprocess.run(
            [sys.executable, SIGNER, "sign", "--key", TEST_KEY, "--version", "7", SETUP],
            check=True, capture_output=True, timeout=60).stdout.decode().strip()
        server = serve_folder(site)
        port = server.server_address[1]
        write_file(os.path.join(site, "udf", "wendrel.udf"),
                   f"[build]\r\nversion=7\r\npath=127.0.0.1/files/corvane-setup-7.exe\r\n"
                   f"signature={signature}\r\n".encode())
        self.addCleanup(stop_server, server)
        return port

    def label_text(self, hwnd):
        def text():
            value = probe("child-text", hwnd, "TCorvaneStatsLabel", 0, check=False).stdout
            return value.decode("latin-1") if value.startswith(b"Year") else None
        return wait_until(text, timeout=20)

    def test_update_dialog_installs_the_new_build_which_keeps_the_history(self):
        # An installed copy of an older build: the same program, trusting the tests' key.
        self.install()
        shutil.copy(TESTKEY_EXE, self.path("corvane.exe"))
        today = datetime.date.today()
        history = (log_record(day_number(today.replace(year=today.year - 1)), 777, 888)
                   + log_record(day_number(today), 5 * 1024 * 1024, 1000))
        write_file(self.path("bandlog.dat"), history)
        write_file(self.path("config.ini"),
                   (f"[network]\r\nactiveadapter=999999\r\n[display]\r\ndecimalplaces=0\r\n"
                    f"format={TEMPLATE}\r\n[bandwidth]\r\ndolog=0\r\n").encode())

        env = harness.wine_env()
        env["CORVANE_UPDATE_HOST"] = "127.0.0.1"
        env["CORVANE_UPDATE_PORT"] = str(self.serve_update())
        old, hwnd = self.start_installed(env)
        self.assertEqual(self.label_text(hwnd), "Year 5 MB")

        probe("post", hwnd, WM_COMMAND, IDM_CHECKUPDATES, 0)
        question = probe("wait-class", "#32770", "New Version", 60000, timeout=90).stdout.decode()
        probe("post", question.strip(), WM_COMMAND, IDYES, 0)
        self.assertEqual(old.wait(timeout=120), 0, "Corvane did not close for the setup program")

        setup = self.wait_window("#32770", SETUP_TITLE)
        self.assertEqual(read_file(self.path("corvane-update-7.exe")), read_file(SETUP))
        screenshot("setup-folder.png")
        self.click_button(setup, "&Install")
        self.click_button(setup, "&Finish", timeout=120)

        new = self.wait_main_window()
        self.assertEqual(read_file(self.path("corvane.exe")), read_file(EXE))
        self.assertEqual(self.label_text(new), "Year 5 MB")
        probe("post", new, WM_CLOSE, 0, 0)
        self.assertTrue(wait_until(lambda: not self.main_windows(), timeout=60, interval=0.5))
        self.assertEqual(read_file(self.path("bandlog.dat")), history)


if __name__ == "__main__":
    unittest.main()
