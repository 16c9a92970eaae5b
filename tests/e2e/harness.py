"""Runs corvane.exe under Wine in a temporary folder and drives it as a user would:
window messages through wprobe.exe (a Windows program in the same prefix), real mouse input
through xdotool, screenshots and their pixels through ImageMagick."""
import collections
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from corvane_env import (IDM_ABOUT, IDM_CHECKUPDATES, IDM_CLOSE, IDM_HISTORY,  # noqa: E402,F401
                         IDM_MINIMIZE, IDM_SETTINGS, ROOT, WINE, serve_folder, stop_server, wine_env)

EXE = os.environ.get("CORVANE_EXE", os.path.join(ROOT, "build", "windows", "src", "app", "corvane.exe"))
WPROBE = os.environ.get("WPROBE_EXE", os.path.join(ROOT, "build", "windows", "tests", "e2e", "wprobe.exe"))
SHOTS = os.environ.get("CORVANE_SHOTS", os.path.join(ROOT, "build", "screenshots"))
# Put before every Wine command, e.g. ["ip", "netns", "exec", NAME] to run inside a namespace.
COMMAND_PREFIX = []

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
WM_TIMER = 0x0113
TIMER_AUTOSAVE = 2  # the main window's autosave timer
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
IDOK = 1
MSG_GDI_OBJECT_COUNT = 0x8000 + 100
MSG_THEME_REPORT = 0x8000 + 110

# The theme's report: its mode, and Windows' entry points it found and called (TDarkMode).
LIGHT_MODE, DARK_MODE, HIGH_CONTRAST_MODE = 0, 1, 2
SET_PREFERRED_APP_MODE, ALLOW_DARK_MODE_FOR_WINDOW, FLUSH_MENU_THEMES = 1, 2, 4
REFRESH_COLOR_POLICY, DWM_SET_WINDOW_ATTRIBUTE, SET_WINDOW_THEME, LOOKED_UP_BY_NUMBER = 8, 16, 32, 64
UNNAMED_ENTRIES = SET_PREFERRED_APP_MODE | ALLOW_DARK_MODE_FOR_WINDOW | FLUSH_MENU_THEMES | REFRESH_COLOR_POLICY
# Dark mode's colours (theme/palette.cpp) and light mode's chart, as the screen shows them.
DARK = {"face": (32, 32, 32), "page": (43, 43, 43), "field": (43, 43, 43), "chart": (43, 43, 43),
        "button": (51, 51, 51), "in": (76, 194, 100), "out": (255, 146, 56)}
LIGHT_CHART = {"in": (30, 150, 54), "out": (236, 116, 18)}


def wait_until(predicate, timeout=30.0, interval=0.1):
    """Polls until predicate() is true; returns its last value."""
    deadline = time.monotonic() + timeout
    value = predicate()
    while not value and time.monotonic() < deadline:
        time.sleep(interval)
        value = predicate()
    return value


class ProbeError(RuntimeError):
    """A probe that gave no answer, however often it was asked: the test cannot tell."""


PROBE_ATTEMPTS = 3


def answered(command, run, attempts=PROBE_ATTEMPTS):
    """Calls run() until it gives an answer and returns it. run returns (answer, None), or
    (None, why) when the call failed (Wine did not start the program, it crashed or hung): such
    a call says nothing about what was asked and is made again, after a short pause for a
    machine under load."""
    failures = []
    for attempt in range(attempts):
        if attempt:
            time.sleep(attempt)
        answer, why = run()
        if why is None:
            return answer
        failures.append(why)
    raise ProbeError(f"{command} gave no answer in {attempts} calls: {'; '.join(failures)}")


def probe(*args, check=True, timeout=60):
    """Runs wprobe.exe and returns its answer: a non-zero exit code is the probe's own "no"
    (no such window, a message refused), never a call that failed; those are retried."""
    def run():
        # Output through files, not pipes: a Wine service started by the probe would inherit
        # a pipe and keep it open long after the probe has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                completed = subprocess.run([*COMMAND_PREFIX, WINE, WPROBE, *map(str, args)], env=wine_env(),
                                           stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                           timeout=timeout)
            except subprocess.TimeoutExpired:
                return None, f"no end in {timeout} s"
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
        # wprobe's last line on standard error, written as it ends.
        if stderr.rstrip().endswith(b"wprobe answered %d" % completed.returncode):
            return subprocess.CompletedProcess(completed.args, completed.returncode, stdout,
                                               b""), None
        return None, f"exit code {completed.returncode} {stderr[-200:]!r}"

    result = answered(f"wprobe {args}", run)
    if check and result.returncode != 0:
        raise AssertionError(f"wprobe {args} answered {result.returncode}")
    return result


def visible_windows(cls, title=None):
    """Visible top-level windows of a class (and title), frontmost first."""
    found = []
    for line in probe("list").stdout.decode("utf-8", "replace").splitlines():
        fields = line.split("\t")
        if len(fields) > 3 and fields[1] == cls and fields[3] == "1" and title in (None, fields[2]):
            found.append(fields[0])
    return found


def screen_colours(rect):
    """How often each colour (r, g, b) shows in the screen's (left, top, width, height)."""
    left, top, width, height = rect
    ppm = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}",
                          "-depth", "8", "ppm:-"], check=True, capture_output=True, timeout=60).stdout
    fields = ppm.split(maxsplit=4)  # P6, width, height, maximum, pixels
    pixels = fields[4]
    return collections.Counter(tuple(pixels[i:i + 3]) for i in range(0, len(pixels) - 2, 3))


def dominant(rect):
    return screen_colours(rect).most_common(1)[0][0]


def bright(colours):
    """Pixels of light text on a dark ground: grey, brighter than 200."""
    return sum(n for (r, g, b), n in colours.items() if min(r, g, b) > 200 and max(r, g, b) - min(r, g, b) < 8)


def parse_info(text):
    info = {}
    for line in text.decode("utf-8", "replace").splitlines():
        key, _, value = line.partition("=")
        info[key] = int(value, 0) if value.lstrip("-").replace("x", "").isalnum() and key not in ("class", "text") else value
    return info


def log_record(date, in_bytes, out_bytes):
    return struct.pack("<dQQ", date, in_bytes, out_bytes)


def read_log(path):
    with open(path, "rb") as f:
        data = f.read()
    return [struct.unpack_from("<dQQ", data, i * 24) for i in range(len(data) // 24)]


class Corvane:
    """One corvane.exe in its own temporary folder."""

    def __init__(self, config=None, files=None, env=None, folder=None):
        self.env = dict(wine_env(), **(env or {}))
        self.root = tempfile.mkdtemp(prefix="corvane-e2e-")
        self.dir = os.path.join(self.root, folder) if folder else self.root
        os.makedirs(self.dir, exist_ok=True)
        shutil.copy(EXE, os.path.join(self.dir, "corvane.exe"))
        if config is not None:
            self.write("config.ini", config.replace("\n", "\r\n").encode("latin-1"))
        for name, data in (files or {}).items():
            self.write(name, data)
        self.proc = None
        self.hwnd = None

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def spawn(self):
        """Starts the program without waiting for its window."""
        self.proc = subprocess.Popen([*COMMAND_PREFIX, WINE, self.path("corvane.exe")], cwd=self.dir,
                                     env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self.proc

    def start(self, title="Corvane"):
        self.spawn()
        result = probe("wait", title, 90000, check=False, timeout=120)
        if result.returncode != 0:
            raise AssertionError("the main window did not appear")
        self.hwnd = result.stdout.decode().strip()
        # A sent message is answered once the message loop runs, after start-up has finished.
        self.send(0)
        return self.hwnd

    def info(self, hwnd=None):
        return parse_info(probe("info", hwnd or self.hwnd).stdout)

    def post(self, msg, wparam=0, lparam=0, hwnd=None):
        probe("post", hwnd or self.hwnd, msg, wparam, lparam)

    def send(self, msg, wparam=0, lparam=0, hwnd=None):
        return int(probe("send", hwnd or self.hwnd, msg, wparam, lparam).stdout.decode().strip() or 0)

    def wait_dialog(self, title, timeout_ms=30000):
        result = probe("wait-class", "#32770", title, timeout_ms, check=False, timeout=timeout_ms / 1000 + 30)
        return result.stdout.decode().strip() if result.returncode == 0 else None

    def child_text(self, hwnd, cls, index):
        return probe("child-text", hwnd, cls, index).stdout

    def message_box_text(self, hwnd):
        """The text of a message box: its static control with text (the icon has none)."""
        for i in range(4):
            result = probe("child-text", hwnd, "Static", i, check=False)
            if result.returncode != 0:
                break
            if result.stdout:
                return result.stdout.decode("utf-8", "replace")
        return None

    def work_area(self):
        return tuple(int(v) for v in probe("workarea").stdout.split())

    def tray_icons(self):
        """Icons in Wine's own tray window (shown where no desktop tray exists)."""
        count = 0
        for line in probe("list").stdout.decode("utf-8", "replace").splitlines():
            fields = line.split("\t")
            if len(fields) > 2 and fields[2] == "Wine System Tray":
                for child in probe("children", fields[0]).stdout.decode("utf-8", "replace").splitlines():
                    icon = child.split("\t")
                    if len(icon) > 3 and icon[1] == "__winex11_tray_icon" and icon[3] == "1":
                        count += 1
        return count

    def tray_icon_rect(self):
        """The first shown icon's (left, top, width, height) on the screen in Wine's own tray."""
        for line in probe("list").stdout.decode("utf-8", "replace").splitlines():
            fields = line.split("\t")
            if len(fields) > 4 and fields[2] == "Wine System Tray":
                for child in probe("children", fields[0]).stdout.decode("utf-8", "replace").splitlines():
                    icon = child.split("\t")
                    if icon[1] == "__winex11_tray_icon" and icon[3] == "1":
                        l, t, r, b = (int(v) for v in icon[4].split(","))
                        return l, t, r - l, b - t
        return None

    def tray_icon_centre(self):
        rect = self.tray_icon_rect()
        return rect and (rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)

    def close(self):
        self.post(WM_CLOSE)

    def client_area(self, hwnd):
        """A window's client area on the screen: without a window manager the frame stays
        undrawn."""
        info = self.info(hwnd)
        border = (info["width"] - info["client_width"]) // 2
        return (info["left"] + border, info["top"] + info["height"] - info["client_height"] - border,
                info["client_width"], info["client_height"])

    def theme(self):
        """The theme's report: (mode, entry points found, entry points called)."""
        report = self.send(MSG_THEME_REPORT)
        return report & 3, (report >> 4) & 0x7F, (report >> 12) & 0x3F

    def window_count(self):
        """USER objects of the program, counted as its windows (GetGuiResources is a stub under
        Wine): its top-level windows and all their children."""
        rows = [line.split("\t") for line in probe("list").stdout.decode("utf-8", "replace").splitlines()]
        pid = next(row[5] for row in rows if row[0] == self.hwnd)
        own = [row[0] for row in rows if len(row) > 5 and row[5] == pid]
        return len(own) + sum(len(probe("children", hwnd).stdout.splitlines()) for hwnd in own)

    def stamp(self, name):
        """Changes whenever the file is written or replaced."""
        st = os.stat(self.path(name))
        return st.st_ino, st.st_mtime_ns, st.st_size

    def wait_exit(self, timeout=60):
        return self.proc.wait(timeout=timeout)

    def screenshot(self, name, crop=None):
        """The whole screen, or the part given as (left, top, width, height)."""
        os.makedirs(SHOTS, exist_ok=True)
        target = os.path.join(SHOTS, name)
        args = ["import", "-window", "root"]
        if crop:
            args += ["-crop", "%dx%d+%d+%d" % (crop[2], crop[3], crop[0], crop[1])]
        subprocess.run(args + [target], check=True, timeout=60)
        return target


    def cleanup(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=30)
        shutil.rmtree(self.root, ignore_errors=True)


class CorvaneTestCase(unittest.TestCase):
    def launch(self, config=None, files=None, env=None, folder=None):
        app = Corvane(config, files, env, folder)
        self.addCleanup(app.cleanup)
        app.start()
        return app

    def close_and_read_today(self, app):
        """Closes Corvane, which saves its log, and gives today's record's bytes in and out."""
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        today = float((datetime.date.today() - datetime.date(1899, 12, 30)).days)
        records = [r for r in read_log(app.path("bandlog.dat")) if r[0] == today]
        self.assertEqual(len(records), 1)
        return records[0][1], records[0][2]


def run_cli(folder, *args, env=None):
    """corvane.exe of the folder run with command-line options: exit code, output, errors."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run([WINE, os.path.join(folder, "corvane.exe"), *args], cwd=folder,
                              env=dict(wine_env(), **(env or {})), stdout=out, stderr=err,
                              timeout=120)
        out.seek(0)
        err.seek(0)
        return done.returncode, out.read().decode(), err.read().decode()


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=30)


def drag(start, end, button=1, steps=10):
    """A real mouse drag on the X display."""
    xdotool("mousemove", *start)
    time.sleep(0.2)
    xdotool("mousedown", button)
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        xdotool("mousemove", x, y)
        time.sleep(0.05)
    time.sleep(0.2)
    xdotool("mouseup", button)
