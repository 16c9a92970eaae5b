"""A private Wine prefix per test class, in which the real setup program installs Corvane for
the prefix's user; helpers to read its registry, find its folders and drive its windows.
Builds on the end-to-end harness (wprobe.exe, xdotool) of tests/e2e."""
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402,F401
from harness import (EXE, IDM_CHECKUPDATES, ROOT, WINE, WM_CLOSE, answered, log_record,  # noqa: E402,F401
                     probe, read_log, serve_folder, stop_server, wait_until, xdotool)

BUILD = os.path.join(ROOT, "build", "windows")
# The version the build made from CMakeLists.txt, given by ctest.
VERSION = os.environ["CORVANE_VERSION"]
SETUP = os.environ.get("CORVANE_SETUP", os.path.join(BUILD, f"corvane-setup-{VERSION}.exe"))
TESTKEY_EXE = os.environ.get("CORVANE_TESTKEY_EXE",
                             os.path.join(BUILD, "tests", "installer", "corvane_testkey.exe"))
TEST_KEY = os.environ.get("CORVANE_TEST_KEY",
                          os.path.join(BUILD, "tests", "installer", "installer-test-key.pem"))
SIGNER = os.path.join(ROOT, "tests", "update", "sign_setup.py")
# The same program and setup program, signed with the tests' own Authenticode certificate.
SIGNED = os.path.join(BUILD, "tests", "installer", "signed")
SIGNED_SETUP = os.environ.get("CORVANE_SIGNED_SETUP",
                              os.path.join(SIGNED, f"corvane-setup-{VERSION}.exe"))
SIGNED_EXE = os.environ.get("CORVANE_SIGNED_EXE", os.path.join(SIGNED, "package", "corvane.exe"))
TEST_CERT = os.environ.get("CORVANE_TEST_CERT", os.path.join(BUILD, "tests", "installer",
                                                             "authenticode-test-cert.pem"))
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
MAIN_CLASS = "TCorvaneMain"
SETUP_TITLE = f"Corvane {VERSION} Setup"
UNINSTALL_TITLE = f"Corvane {VERSION} Uninstall"
WM_COMMAND = 0x0111
IDYES = 6
IDNO = 7


def screenshot(name):
    """The whole virtual screen, into the screenshots folder of the build."""
    os.makedirs(harness.SHOTS, exist_ok=True)
    subprocess.run(["import", "-window", "root", os.path.join(harness.SHOTS, name)], check=True,
                   timeout=60)


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


class InstallerTestCase(unittest.TestCase):
    """Creates a fresh Wine prefix for the class (the first start of a prefix takes 10-20 s)
    and points the harness at it; removes it, with every process in it, at the end."""

    @classmethod
    def setUpClass(cls):
        cls.saved_env = {k: os.environ.get(k) for k in ("WINEPREFIX", "WINEDLLOVERRIDES")}
        cls.prefix = tempfile.mkdtemp(prefix="corvane-installer-")
        os.environ["WINEPREFIX"] = cls.prefix
        # winemenubuilder would turn the Start menu shortcut into a menu entry of the real
        # desktop; mscoree and mshtml would offer to install Mono and Gecko.
        os.environ["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
        subprocess.run([WINE, "wineboot", "-i"], env=harness.wine_env(), capture_output=True,
                       timeout=300, check=True)
        subprocess.run([WINESERVER, "-w"], env=harness.wine_env(), capture_output=True, timeout=300)
        user_dir = os.path.join(cls.prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name)
        cls.install_dir = os.path.join(user_dir, "AppData", "Local", "Programs", "Corvane")
        cls.shortcut = os.path.join(user_dir, "AppData", "Roaming", "Microsoft", "Windows",
                                    "Start Menu", "Programs", "Corvane.lnk")

    @classmethod
    def tearDownClass(cls):
        subprocess.run([WINESERVER, "-k"], env=harness.wine_env(), capture_output=True, timeout=60)
        subprocess.run([WINESERVER, "-w"], env=harness.wine_env(), capture_output=True, timeout=60)
        shutil.rmtree(cls.prefix, ignore_errors=True)
        for name, value in cls.saved_env.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value

    # --- the prefix ---

    def wine(self, *args, timeout=120, env=None, check=True):
        return subprocess.run([WINE, *args], env=env or harness.wine_env(), capture_output=True,
                              timeout=timeout, check=check)

    def reg_values(self, key):
        """The values of a registry key as {name: text}, or None when the key does not exist."""
        def run():
            try:
                result = self.wine("reg", "query", key, check=False)
            except subprocess.TimeoutExpired:
                return None, "no end"
            if result.returncode == 0:
                return self.parse_reg_values(result.stdout), None
            if b"Unable to find the specified registry key" in result.stdout + result.stderr:
                return None, None
            return None, f"exit code {result.returncode} {result.stderr[-200:]!r}"
        return answered(f"reg query {key}", run)

    @staticmethod
    def parse_reg_values(output):
        values = {}
        for line in output.decode("utf-8", "replace").splitlines():
            match = re.match(r"^\s+(\S+)\s+(REG_\w+)\s*(.*?)\s*$", line)
            if match:
                name, kind, data = match.groups()
                values[name] = int(data, 16) if kind == "REG_DWORD" else data
        return values

    def reg_set(self, key, name, data):
        self.wine("reg", "add", key, "/v", name, "/d", data, "/f")

    def windows_path(self, unix_path):
        """The path of a file under the prefix's drive C: as Windows programs see it."""
        relative = os.path.relpath(unix_path, os.path.join(self.prefix, "drive_c"))
        return "C:\\" + relative.replace("/", "\\")

    def path(self, name):
        return os.path.join(self.install_dir, name)

    # --- the setup program and Corvane ---

    def install(self, *args, setup=SETUP):
        result = self.wine(setup, "/S", *args, timeout=180, check=False)
        self.assertEqual(result.returncode, 0, result.stderr)

    def uninstall_quietly(self):
        """Runs the QuietUninstallString, as Windows would, and waits until it is done: the
        uninstaller copies itself away and ends at once, the copy does the work."""
        command = self.reg_values(UNINSTALL_KEY)["QuietUninstallString"]
        match = re.match(r'^"([^"]+)"\s+(.*)$', command)
        self.wine(match.group(1), *match.group(2).split())
        gone = wait_until(lambda: not os.path.exists(self.path("uninstall.exe")), timeout=60)
        self.assertTrue(gone, "the uninstaller did not finish")

    def start_installed(self, env=None):
        """Starts the installed corvane.exe; returns the process and its main window."""
        proc = subprocess.Popen([WINE, self.path("corvane.exe")], cwd=self.install_dir,
                                env=env or harness.wine_env(), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.end_later(proc)
        return proc, self.wait_main_window()

    def end_later(self, proc):
        """Ends a process started by the test at its end, if it is still running."""
        def end():
            if proc.poll() is None:
                proc.kill()
            proc.wait(timeout=30)
            for stream in (proc.stdin, proc.stdout):
                if stream:
                    stream.close()
        self.addCleanup(end)

    def wait_main_window(self, timeout_ms=90000):
        result = probe("wait-class", MAIN_CLASS, "Corvane", timeout_ms, check=False,
                       timeout=timeout_ms / 1000 + 30)
        self.assertEqual(result.returncode, 0, "Corvane's main window did not appear")
        return result.stdout.decode().strip()

    def windows(self, cls, title=None):
        """Visible top-level windows of a class whose title, less trailing blanks, is title
        (NSIS appends a blank to the setup's caption), or of any title."""
        found = []
        for line in probe("list").stdout.decode("latin-1").splitlines():
            fields = line.split("\t")
            if (len(fields) == 6 and fields[1] == cls and fields[3] == "1"
                    and title in (None, fields[2].rstrip())):
                found.append(fields[0])
        return found

    def wait_window(self, cls, title, timeout=60):
        found = wait_until(lambda: self.windows(cls, title), timeout=timeout, interval=0.5)
        self.assertTrue(found, f"no window {title!r}")
        return found[0]

    def main_windows(self):
        return self.windows(MAIN_CLASS, "Corvane")

    def children(self, hwnd):
        """The child windows of a window: (handle, class, text, visible, (l, t, r, b))."""
        found = []
        for line in probe("children", hwnd).stdout.decode("latin-1").splitlines():
            fields = line.split("\t")
            if len(fields) != 6:  # the rest of a text with line breaks
                continue
            rect = tuple(int(v) for v in fields[4].split(","))
            found.append((fields[0], fields[1], fields[2], fields[3] == "1", rect))
        return found

    def click_button(self, window, text, timeout=60):
        """Clicks a visible button of a window with the real mouse."""
        def button():
            for child in self.children(window):
                if child[1] == "Button" and child[2] == text and child[3]:
                    return child
            return None
        found = wait_until(button, timeout=timeout, interval=0.5)
        self.assertIsNotNone(found, f"no button {text!r}")
        left, top, right, bottom = found[4]
        xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
        time.sleep(0.3)
        xdotool("click", 1)
