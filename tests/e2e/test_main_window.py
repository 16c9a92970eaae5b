"""The main window's look and behaviour, driven as a user would: real mouse drags, the tray
icon, its menu commands and the display settings; what a screen reader reads of it."""
import datetime
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import unittest

import expected
from harness import (DARK, DARK_MODE, IDM_ABOUT, IDM_MINIMIZE, MSG_GDI_OBJECT_COUNT, UNNAMED_ENTRIES, Corvane,
                     CorvaneTestCase, WM_CLOSE, WM_COMMAND, bright, dominant, drag, log_record, parse_info,
                     probe, screen_colours, visible_windows, wait_until, wine_env,
                     xdotool)
from corvane_env import WINE, resource_ids

NO_LOGGING = "[bandwidth]\ndolog=0\n"
CS_DROPSHADOW = 0x20000
DOCKED_STYLES = 0x8 | 0x80 | 0x08000000  # WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_NOACTIVATE
WM_TIMER = 0x0113
# The tray icon's bars, in and out, and their outline.
RATE_BARS = {(76, 194, 100), (255, 146, 56)}
BAR_OUTLINE = (32, 32, 32)


def place(left, top):
    return f"[display]\nleft={left}\ntop={top}\n" + NO_LOGGING


class LookTest(CorvaneTestCase):
    def test_default_window(self):
        app = self.launch(config=NO_LOGGING)
        info = app.info()
        self.assertEqual((info["left"], info["top"], info["width"], info["height"]), (5, 5, 180, 228))
        self.assertEqual(info["topmost"], 1)
        self.assertTrue(info["classstyle"] & CS_DROPSHADOW)
        self.assertEqual(info["layered"], 0)
        self.assertEqual(info["style"] & 0x00C00000, 0, "no caption")
        time.sleep(1.5)  # one display tick
        shot = app.screenshot("main_window.png", crop=(0, 0, 200, 250))
        self.assertTrue(os.path.getsize(shot) > 0)

    def test_figures_are_there_on_the_first_paint(self):
        app = Corvane(config=NO_LOGGING)
        self.addCleanup(app.cleanup)
        app.spawn()
        # The probe reads the statistics text the moment it first sees the window visible.
        result = probe("first-text", "Corvane", "TCorvaneStatsLabel", 90000, timeout=120)
        first = result.stdout.partition(b"\n")[2].decode("latin-1")
        self.assertRegex(first, r"^In: \d+[.,]\d\d kB/s\r\nOut: \d+[.,]\d\d kB/s\r\n")

    def test_opacity_and_stacking_settings(self):
        app = self.launch(config="[display]\nopacity=50\nstayontop=0\ndropshadow=0\n" + NO_LOGGING)
        info = app.info()
        self.assertEqual((info["layered"], info["alpha"]), (1, 100))
        self.assertEqual(info["topmost"], 0)
        self.assertFalse(info["classstyle"] & CS_DROPSHADOW)

    def test_size_from_settings(self):
        app = self.launch(config="[display]\nwidth=300\nheight=120\n" + NO_LOGGING)
        info = app.info()
        self.assertEqual((info["width"], info["height"]), (300, 120))

    def test_gdi_objects_stay_flat_over_ticks(self):
        app = self.launch(config=NO_LOGGING)
        time.sleep(3.5)
        after_three = app.send(MSG_GDI_OBJECT_COUNT)
        for _ in range(27):
            app.post(WM_TIMER, 1, 0)
        after_thirty = app.send(MSG_GDI_OBJECT_COUNT)  # answered after the posted ticks
        self.assertGreater(after_three, 0)
        self.assertEqual(after_thirty, after_three)

    def test_notice_follows_the_app_mode_live_and_the_menus_stay_as_windows_draws_them(self):
        probe("app-mode", 1)  # Windows' app mode, told to the windows as Windows does
        self.addCleanup(probe, "app-mode", 1)
        # An alert at the first tick, told by the notice: the tray icon is hidden.
        today = datetime.date.today()
        config = (f"[network]\nactiveadapter=999999\n[display]\ngototray=0\nmonthquota=100\n"
                  f"quotastartday={today.day}\n" + NO_LOGGING)
        app = self.launch(config=config,
                          files={"bandlog.dat": log_record(expected.day_number(today), 90 << 20, 0)})
        notice = wait_until(lambda: visible_windows("TCorvaneNotice"), timeout=30)
        self.assertTrue(notice, "no notice")
        area = app.client_area(notice[0])
        self.assertNotEqual(dominant(area), DARK["page"])
        probe("app-mode", 0)

        def dark():
            colours = screen_colours(area)
            return colours.most_common(1)[0][0] == DARK["page"] and bright(colours) > 200
        self.assertTrue(wait_until(dark, timeout=15), screen_colours(area).most_common(3))
        app.screenshot("notice_dark.png", crop=area)
        # Dark menus need uxtheme's unnamed entry points, which Wine 8 lacks: never called, and
        # Wine draws the menu light.
        info = app.info()
        xdotool("mousemove", info["left"] + 40, info["top"] + 40)
        xdotool("click", 3)
        self.assertTrue(wait_until(lambda: visible_windows("#32768"), timeout=15), "no menu")
        menu = app.info(visible_windows("#32768")[0])
        shown = dominant((menu["left"], menu["top"], menu["width"], menu["height"]))
        xdotool("key", "Escape")
        self.assertEqual(app.theme()[0], DARK_MODE)
        self.assertEqual(app.theme()[2] & UNNAMED_ENTRIES, 0)
        self.assertGreater(min(shown), 200, "a light menu")


def rect(info):
    return info["left"], info["top"], info["left"] + info["width"], info["top"] + info["height"]


def inside(inner, outer):
    return outer[0] <= inner[0] < inner[2] <= outer[2] and outer[1] <= inner[1] < inner[3] <= outer[3]


class DockTest(CorvaneTestCase):
    """In a Wine desktop with a taskbar, in a prefix of its own. Wine facts relied on: the
    desktop shows Shell_TrayWnd only with the desktop's EnableShell set; it has no TrayNotifyWnd,
    and Shell_NotifyIconGetRect is a stub, so the meter ends a gap of 4 pixels before the bar's
    far end, over Wine's tray icons."""

    @classmethod
    def setUpClass(cls):
        cls.saved = dict(os.environ)
        os.environ["WINEPREFIX"] = cls.prefix = tempfile.mkdtemp(prefix="corvane-dock-prefix-")
        with tempfile.TemporaryFile() as out:
            def wine(*args):
                subprocess.run([WINE, *args], env=wine_env(), stdout=out, stderr=out,
                               stdin=subprocess.DEVNULL, check=True, timeout=300)
            wine("wineboot", "-i")
            explorer = "HKCU\\Software\\Wine\\Explorer"
            wine("reg", "add", explorer, "/v", "Desktop", "/d", "Default", "/f")
            wine("reg", "add", explorer + "\\Desktops", "/v", "Default", "/d", "1024x768", "/f")
            wine("reg", "add", explorer + "\\Desktops\\Default", "/v", "EnableShell", "/t",
                 "REG_DWORD", "/d", "1", "/f")
        cls.stop_wine()  # the desktop comes with the next wineserver

    @classmethod
    def tearDownClass(cls):
        cls.stop_wine()
        os.environ.clear()
        os.environ.update(cls.saved)
        shutil.rmtree(cls.prefix, ignore_errors=True)

    @staticmethod
    def stop_wine():
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=wine_env(), capture_output=True,
                       timeout=60)

    def taskbar(self):
        bars = visible_windows("Shell_TrayWnd")
        self.assertTrue(bars, "no taskbar in the Wine desktop")
        return rect(parse_info(probe("info", bars[0]).stdout))

    def test_the_menu_docks_the_meter_beside_the_tray_and_it_follows_the_taskbar(self):
        app = self.launch(config=NO_LOGGING)
        self.assertEqual(rect(app.info())[:2], (5, 5), "floating unless chosen")
        app.post(WM_COMMAND, resource_ids()["IDM_DOCK"])

        def docked(bar):
            meter = rect(app.info())
            return inside(meter, bar) and meter[2] == bar[2] - 4
        bar = self.taskbar()
        self.assertTrue(wait_until(lambda: docked(bar)), (app.info(), bar))
        info = app.info()
        self.assertEqual(info["parent"], info["desktop"], "no child of the taskbar")
        self.assertEqual(info["exstyle"] & DOCKED_STYLES, DOCKED_STYLES)
        # The taskbar's colours, dark where Windows says nothing, and light as soon as it does.
        meter = (info["left"], info["top"], info["width"], info["height"])
        shot = (bar[2] - 240, bar[1], 240, bar[3] - bar[1])
        self.assertTrue(wait_until(lambda: dominant(meter) == (32, 32, 32)), screen_colours(meter))
        app.screenshot("docked_dark.png", crop=shot)
        probe("app-mode", 1)
        self.assertTrue(wait_until(lambda: dominant(meter) == (243, 243, 243)), screen_colours(meter))
        app.screenshot("docked_light.png", crop=shot)

        probe("move", app.hwnd, 100, 100)
        probe("broadcast", "TaskbarCreated")
        self.assertTrue(wait_until(lambda: docked(bar)), app.info())
        probe("display-mode", 800, 600)
        self.assertTrue(wait_until(lambda: self.taskbar()[3] == 600), "the desktop kept its size")
        bar = self.taskbar()
        self.assertTrue(wait_until(lambda: docked(bar)), (app.info(), bar))
        # Minimized, it stays off the taskbar whatever the shell says, until docked anew.
        app.post(WM_COMMAND, IDM_MINIMIZE)
        probe("broadcast", "TaskbarCreated")
        app.post(WM_COMMAND, IDM_ABOUT)  # posted messages keep their order: handled after both
        self.assertTrue(wait_until(lambda: visible_windows("Tf_AboutDialog")))
        self.assertEqual(app.info()["visible"], 0)
        app.post(WM_CLOSE, hwnd=visible_windows("Tf_AboutDialog")[0])
        for _ in range(2):
            app.post(WM_COMMAND, resource_ids()["IDM_DOCK"])
        self.assertTrue(wait_until(lambda: docked(bar) and app.info()["visible"]), app.info())
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertIn(b"dock=1", app.read("config.ini"))


class DragTest(CorvaneTestCase):
    def drag_window_to(self, app, left, top):
        info = app.info()
        grip = (info["left"] + 40, info["top"] + 60)  # over the statistics text
        drag(grip, (grip[0] + left - info["left"], grip[1] + top - info["top"]))
        time.sleep(0.5)
        return app.info()

    def test_left_edge_snaps_within_five_pixels(self):
        app = self.launch(config=place(100, 100))
        info = self.drag_window_to(app, 3, 100)
        self.assertEqual((info["left"], info["top"]), (0, 100))
        info = self.drag_window_to(app, 5, 200)
        self.assertEqual((info["left"], info["top"]), (5, 200))

    def test_bottom_edge_snaps_onto_the_work_area(self):
        app = self.launch(config=place(300, 300))
        work = app.work_area()
        info = self.drag_window_to(app, 300, work[3] - 228 - 4)
        self.assertEqual(info["top"] + info["height"], work[3])

    def test_position_is_stored_after_a_drag(self):
        app = self.launch(config=place(100, 100))
        self.drag_window_to(app, 250, 150)
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        config = app.read("config.ini").decode("latin-1")
        self.assertIn("top=150\r\n", config)
        self.assertIn("left=250\r\n", config)

    def test_quota_bar_is_no_grip(self):
        app = self.launch(config=place(100, 100))
        drag((100 + 60, 100 + 216), (100 + 160, 100 + 300))
        time.sleep(0.5)
        info = app.info()
        self.assertEqual((info["left"], info["top"]), (100, 100))


class TrayTest(CorvaneTestCase):
    # Under Wine without a desktop tray, icons show in Wine's own tray window.
    def test_minimize_shows_icon_and_click_restores(self):
        app = self.launch(config="[display]\ngototray=0\nleft=400\ntop=300\n" + NO_LOGGING)
        self.assertEqual(app.tray_icons(), 0)
        app.post(WM_COMMAND, IDM_MINIMIZE, 0)
        self.assertTrue(wait_until(lambda: app.tray_icons() == 1, timeout=15))
        self.assertTrue(wait_until(lambda: app.info()["iconic"] == 1, timeout=15))
        centre = app.tray_icon_centre()
        xdotool("mousemove", *centre)
        xdotool("click", 1)
        self.assertTrue(wait_until(lambda: app.info()["iconic"] == 0 and app.info()["visible"] == 1, timeout=15))
        self.assertTrue(wait_until(lambda: app.tray_icons() == 0, timeout=15))

    def test_minimize_to_tray_hides_the_window(self):
        app = self.launch(config="[display]\nleft=400\ntop=300\n" + NO_LOGGING)
        self.assertEqual(app.tray_icons(), 1)
        app.post(WM_COMMAND, IDM_MINIMIZE, 0)
        self.assertTrue(wait_until(lambda: app.info()["visible"] == 0, timeout=15))
        self.assertEqual(app.tray_icons(), 1)

    def test_rates_drawn_in_the_icon_follow_traffic_and_gdi_objects_stay_flat(self):
        # Watches the loopback adapter, which carries the test's traffic; the window stays clear
        # of Wine's tray in the corner.
        app = self.launch(config="[network]\nactiveadapter=1\nfollowactive=0\n[display]\ntrayrates=1\n"
                                 "left=400\ntop=300\n" + NO_LOGGING)

        def colours():
            return screen_colours(app.tray_icon_rect())

        def bar_pixels(counted):
            return sum(n for colour, n in counted.items() if colour in RATE_BARS)
        self.assertTrue(wait_until(lambda: colours()[BAR_OUTLINE] > 0, timeout=15),
                        f"no bars in the icon {app.tray_icon_rect()}: {colours().most_common(4)}")
        idle = colours()
        stop = threading.Event()
        sender = threading.Thread(target=steady_traffic, args=(stop,))
        sender.start()
        try:
            busy = wait_until(lambda: bar_pixels(colours()) > bar_pixels(idle), timeout=15)
            self.assertTrue(busy, f"idle {idle.most_common(4)}, busy {colours().most_common(4)}")
        finally:
            stop.set()
            sender.join()
        before = app.send(MSG_GDI_OBJECT_COUNT)
        for _ in range(60):
            app.post(WM_TIMER, 1, 0)
        self.assertEqual(app.send(MSG_GDI_OBJECT_COUNT), before)  # answered after the posted ticks


EVENT_OBJECT_NAMECHANGE = 0x800C


def accessible(hwnd):
    """The probe's reading of a window's accessible object: {child id: (role, name, value)}."""
    lines = probe("accessible", hwnd).stdout.decode("utf-8", "replace").splitlines()[1:]
    return {int(f[0]): (int(f[1]), f[2], f[3]) for f in (line.split("\t") for line in lines)}


def child_window(parent, cls):
    """The first child window of a class."""
    return next(line.split("\t")[0] for line in probe("children", parent).stdout.decode("utf-8", "replace").splitlines()
                if line.split("\t")[1:2] == [cls])


class ScreenReaderTest(CorvaneTestCase):
    def test_the_figures_and_the_quota_bar_are_read_as_shown(self):
        today = datetime.date.today()
        config = ("[network]\nactiveadapter=999999\n[display]\nformat=%MBintoday% MB today\n"
                  "monthquota=100\nquotaalerts=\n[bandwidth]\ndolog=0\n")
        app = self.launch(config=config,
                          files={"bandlog.dat": log_record(expected.day_number(today), 79 << 20, 0)})
        self.assertEqual(accessible(child_window(app.hwnd, "TCorvaneStatsLabel"))[0][1], "79.00 MB today")
        self.assertEqual(accessible(child_window(app.hwnd, "msctls_progress32"))[0][1], "79.00MB of 100MB used")

    def test_the_providers_figure_is_what_the_bar_and_the_period_tags_count(self):
        # The provider said 50 MB when Corvane had counted 10 MB of the period: 69 MB came since.
        today = datetime.date.today()
        config = ("[network]\nactiveadapter=999999\n[display]\nformat=%MBinoutthisperiod% MB\n"
                  f"monthquota=100\nquotaalerts=\nquotaoffset={today.replace(day=1).isoformat()} "
                  f"{50 << 20} {10 << 20}\n[bandwidth]\ndolog=0\n")
        app = self.launch(config=config,
                          files={"bandlog.dat": log_record(expected.day_number(today), 79 << 20, 0)})
        self.assertEqual(accessible(child_window(app.hwnd, "TCorvaneStatsLabel"))[0][1], "119.00 MB")
        self.assertEqual(accessible(child_window(app.hwnd, "msctls_progress32"))[0][1], "119.00MB of 100MB used")

    def name_changes(self, screen_reader):
        """The meter's announcements of a new text while the figures change: two of them, or
        none in five seconds, with a screen reader running or not. Wine reads the flag once per
        program (Windows at every call): it is set before the start."""
        probe("screen-reader", int(screen_reader))
        app = self.launch(config="[network]\nactiveadapter=1\n[display]\nformat=%kBinpersec%\n"
                                 "[bandwidth]\ndolog=0\n")
        stop = threading.Event()
        sender = threading.Thread(target=steady_traffic, args=(stop,))
        sender.start()
        try:
            events = probe("events", child_window(app.hwnd, "TCorvaneStatsLabel"), EVENT_OBJECT_NAMECHANGE,
                           30000 if screen_reader else 5000, 2).stdout.decode().splitlines()[1:]
        finally:
            stop.set()
            sender.join()
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        return [int(line.split("\t")[4]) for line in events]  # when, in milliseconds

    def test_a_change_is_announced_only_to_a_running_screen_reader(self):
        self.addCleanup(probe, "screen-reader", 0)
        announced = self.name_changes(True)
        self.assertEqual(len(announced), 2)
        self.assertGreaterEqual(announced[1] - announced[0], 1000, "at most one a second")
        self.assertEqual(self.name_changes(False), [])


def steady_traffic(stop):
    """Loopback traffic, a little every tenth of a second, until stop is set: the rates change."""
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    client = socket.create_connection(server.getsockname())
    peer, _ = server.accept()
    drain = threading.Thread(target=lambda: [None for _ in iter(lambda: peer.recv(1 << 16), b"")])
    drain.start()
    step = 0
    while not stop.wait(0.1):
        step += 1
        client.sendall(b"x" * (1 << 14) * (1 + step % 7))
    client.close()
    drain.join(timeout=30)
    peer.close()
    server.close()


if __name__ == "__main__":
    unittest.main()
