"""The dialogs reached from the running program: settings by its shortcut, the update check
against a local server, and every dialog driven from the keyboard as a screen reader reads it."""
import os
import socket
import subprocess
import sys
import time
import unittest

from harness import (ALLOW_DARK_MODE_FOR_WINDOW, DARK, DARK_MODE, DWM_SET_WINDOW_ATTRIBUTE, FLUSH_MENU_THEMES,
                     HIGH_CONTRAST_MODE, IDM_ABOUT, IDM_CHECKUPDATES, IDM_CLOSE, IDM_HISTORY, IDM_SETTINGS,
                     LIGHT_MODE, LOOKED_UP_BY_NUMBER, MSG_GDI_OBJECT_COUNT, SET_PREFERRED_APP_MODE,
                     ROOT, SET_WINDOW_THEME, UNNAMED_ENTRIES, WINE, CorvaneTestCase, IDOK, TIMER_AUTOSAVE, WM_CLOSE,
                     WM_COMMAND, WM_TIMER, bright, dominant, log_record, probe, screen_colours, serve_folder,
                     stop_server, visible_windows, wait_until, wine_env, xdotool)
from test_main_window import child_window

WS_DISABLED = 0x08000000
CB_SETCURSEL = 0x014E
SETTINGS_OK = 135  # the OK button's id in src/settings/settings_dialog.h
BM_CLICK = 0x00F5
WM_KEYDOWN, VK_ESCAPE, VK_RIGHT = 0x0100, 0x1B, 0x27
NO_LOGGING = "[bandwidth]\ndolog=0\n"


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

    def test_template_in_any_script_survives_ok_and_a_restart(self):
        # Earlier versions wrote config.ini in the ANSI code page, Windows-1252 in the tests'
        # locale (a Wine fact): it is read so once and written in UTF-8 from then on.
        app = self.launch(config="[display]\nformat=22\u00b0C\n" + NO_LOGGING)
        label = lambda: app.child_text(app.hwnd, "TCorvaneStatsLabel", 0).decode("utf-8", "replace")
        self.assertTrue(wait_until(lambda: label() == "22\u00b0C", timeout=15), label())
        app.post(WM_COMMAND, IDM_SETTINGS)
        self.assertTrue(wait_until(lambda: visible_windows("Tf_Settings"), timeout=30))
        settings = visible_windows("Tf_Settings")[0]
        template = next(i for i in range(20) if app.child_text(settings, "Edit", i) == "22\u00b0C".encode())
        typed = "\u0436 \u4e2d 22\u00b0C"
        probe("set-text", settings, "Edit", template, typed)
        app.post(BM_CLICK, hwnd=children(settings)["&OK"][0])
        self.assertTrue(wait_until(lambda: not visible_windows("Tf_Settings"), timeout=30))
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertIn(f"\r\nformat={typed}\r\n", app.read("config.ini").decode("utf-8"))
        app.start()
        self.assertTrue(wait_until(lambda: label() == typed, timeout=15), label())


class LanguageTest(CorvaneTestCase):
    def settings_title(self, app):
        app.post(WM_COMMAND, IDM_SETTINGS)
        self.assertTrue(wait_until(lambda: visible_windows("Tf_Settings"), timeout=30))
        dialog = visible_windows("Tf_Settings")[0]
        return dialog, app.info(dialog)["text"]

    def test_a_language_chosen_in_settings_shows_in_the_windows_opened_afterwards(self):
        # The pseudo-language is no entry of the list: the dialog keeps it as stored.
        app = self.launch(config="[display]\nlanguage=qps\n" + NO_LOGGING)
        dialog, title = self.settings_title(app)
        self.assertNotEqual(title, "Settings")
        self.assertGreater(len(title), len("Settings"))
        lists = [line.split("\t")[0] for line in probe("children", dialog).stdout.decode("utf-8", "replace").splitlines()
                 if line.split("\t")[1] == "ComboBox"]
        app.send(CB_SETCURSEL, 0, 0, hwnd=lists[-1])  # "As Windows", Wine's being English
        app.post(WM_COMMAND, SETTINGS_OK, 0, hwnd=dialog)
        self.assertTrue(wait_until(lambda: not visible_windows("Tf_Settings"), timeout=30))
        self.assertIn("language=\r\n", app.read("config.ini").decode("latin-1"))
        self.assertEqual(self.settings_title(app)[1], "Settings")


class ModalTest(CorvaneTestCase):
    def open_settings_twice(self, app):
        app.post(WM_COMMAND, IDM_SETTINGS)
        self.assertTrue(wait_until(lambda: visible_windows("Tf_Settings"), timeout=30))
        before = app.stamp("bandlog.dat")
        # What the tray's double click and the shortcuts deliver while the dialog is open.
        app.post(WM_COMMAND, IDM_SETTINGS)
        app.post(WM_COMMAND, IDM_ABOUT)
        # Posted messages are handled in order: once this autosave has written the file, the
        # commands above have been handled too.
        app.post(WM_TIMER, TIMER_AUTOSAVE)
        self.assertTrue(wait_until(lambda: app.stamp("bandlog.dat") != before, timeout=30))
        self.assertEqual(len(visible_windows("Tf_Settings")), 1)
        self.assertEqual(visible_windows("Tf_AboutDialog"), [])
        self.assertTrue(app.info()["style"] & WS_DISABLED)
        return visible_windows("Tf_Settings")[0]

    def ask_to_reset_the_log(self, app, settings):
        children = probe("children", settings).stdout.decode("utf-8", "replace").splitlines()
        button = next(c.split("\t")[0] for c in children if c.split("\t")[1:3] == ["Button", "&Reset Logs"])
        app.post(BM_CLICK, hwnd=button)
        self.assertIsNotNone(app.wait_dialog("Reset"), "no question before resetting the log")

    def test_close_request_ends_the_open_dialogs_and_saves(self):
        # A setup program sends WM_CLOSE; the tray menu's Close posts its command. The question
        # inside the dialog is answered No, as Cancel would: the log keeps its record.
        for name, close in (("WM_CLOSE", lambda app: app.close()),
                            ("tray Close", lambda app: app.post(WM_COMMAND, IDM_CLOSE))):
            with self.subTest(name):
                app = self.launch(files={"bandlog.dat": log_record(45000.0, 1, 2) + b"xx"})
                self.ask_to_reset_the_log(app, self.open_settings_twice(app))
                close(app)
                self.assertEqual(app.wait_exit(), 0)
                # There was none: the flush, which follows a successful save of the log, made it.
                self.assertTrue(os.path.exists(app.path("config.ini")))
                saved = app.read("bandlog.dat")
                self.assertEqual((saved[:24], len(saved) % 24), (log_record(45000.0, 1, 2), 0))


class UpdateCheckTest(CorvaneTestCase):
    def serve(self, files):
        root = self.enterContext(__import__("tempfile").TemporaryDirectory())
        for name, data in files.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        server = serve_folder(root)
        self.addCleanup(stop_server, server)
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
                         ["bandlog.dat", "config.ini", "corvane.exe", "hourlog.dat", "setup.exe",
                          "version.tmp"])
        for name, data in others.items():
            self.assertEqual(app.read(name), data)


APP_DEFAULTS = r"HKCU\Software\Wine\AppDefaults\corvane.exe"


def wine_reg(*args):
    subprocess.run([WINE, "reg", *args], env=wine_env(), check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


def children(hwnd):
    """A window's children: {class or text: (handle, screen rectangle as left, top, width, height)}."""
    found = {}
    for line in probe("children", hwnd).stdout.decode("utf-8", "replace").splitlines():
        fields = line.split("\t")
        if len(fields) > 5:
            left, top, right, bottom = (int(v) for v in fields[4].split(","))
            found.setdefault(fields[2] or fields[1], (fields[0], (left, top, right - left, bottom - top)))
    return found


class AppearanceTest(CorvaneTestCase):
    """The program's windows in dark mode and back, live. wprobe app-mode sets Windows' app mode
    (AppsUseLightTheme) and tells every window "ImmersiveColorSet", as Windows does."""

    def setUp(self):
        probe("app-mode", 1)
        self.addCleanup(probe, "app-mode", 1)
        # Wine 8 says Windows 7 unless told otherwise: as Windows 10 for corvane.exe, the
        # program looks for uxtheme's unnamed entry points.
        wine_reg("add", APP_DEFAULTS, "/v", "Version", "/d", "win10", "/f")
        self.addCleanup(wine_reg, "delete", APP_DEFAULTS, "/f")

    def open(self, app, command, cls):
        app.post(WM_COMMAND, command)
        self.assertTrue(wait_until(lambda: visible_windows(cls), timeout=30), cls)
        return visible_windows(cls)[0]

    def dark_colours(self, app, hwnd, name, ground=DARK["face"]):
        """A window's colours once it is drawn dark (its ground, and white text), photographed."""
        area = app.client_area(hwnd)

        def dark():
            colours = screen_colours(area)
            return colours if colours.most_common(1)[0][0] == ground and bright(colours) > 500 else None
        colours = wait_until(dark, timeout=15)
        self.assertTrue(colours, f"{name}: {screen_colours(area).most_common(3)}")
        app.screenshot(name + ".png", crop=area)
        return colours

    def test_settings_follow_the_app_mode_live_and_leak_nothing(self):
        app = self.launch(config=NO_LOGGING)
        xdotool("mousemove", 1279, 1023)  # over nothing of the program: no tooltip comes and goes
        area = app.client_area(self.open(app, IDM_SETTINGS, "Tf_Settings"))
        light = dominant(area)
        self.assertNotEqual(light, DARK["face"])
        self.assertEqual(app.theme()[0], LIGHT_MODE)
        objects = app.send(MSG_GDI_OBJECT_COUNT), app.window_count()
        probe("app-mode", 0)
        self.assertTrue(wait_until(lambda: dominant(area) == DARK["face"], timeout=15), dominant(area))
        mode, found, called = app.theme()
        self.assertEqual(mode, DARK_MODE)
        # The title bar's call is made (Wine accepts it, and draws no frame without a window
        # manager) and the controls' styles are set. Wine 8 has none of uxtheme's unnamed entry
        # points for the menus (its ordinal 104 is another function): looked for, not found and
        # nothing of them called; the menus stay light, the program draws the push buttons.
        for entry in (DWM_SET_WINDOW_ATTRIBUTE, SET_WINDOW_THEME):
            self.assertTrue(found & called & entry, (found, called))
        menus = SET_PREFERRED_APP_MODE | ALLOW_DARK_MODE_FOR_WINDOW | FLUSH_MENU_THEMES
        self.assertEqual((found & (LOOKED_UP_BY_NUMBER | menus), called & UNNAMED_ENTRIES),
                         (LOOKED_UP_BY_NUMBER, 0))
        ok = children(visible_windows("Tf_Settings")[0])["&OK"][1]
        self.assertGreater(screen_colours(ok)[DARK["button"]], ok[2] * ok[3] // 2)
        probe("app-mode", *[1, 0] * 15)
        self.assertEqual((app.send(MSG_GDI_OBJECT_COUNT), app.window_count()), objects)
        probe("app-mode", 1)
        self.assertTrue(wait_until(lambda: dominant(area) == light, timeout=15), dominant(area))
        self.assertEqual(app.theme()[0], LIGHT_MODE)

    def test_dark_setting_darkens_every_tab_the_about_box_and_the_update_dialog(self):
        # Dark chosen while Windows' app mode is light; the meter's own colours stay the user's.
        closed = socket.create_server(("127.0.0.1", 0))
        port = closed.getsockname()[1]
        closed.close()  # the update check finds nobody there, and its dialog stays open
        app = self.launch(config="[display]\ntheme=dark\n" + NO_LOGGING,
                          env={"CORVANE_UPDATE_HOST": "127.0.0.1", "CORVANE_UPDATE_PORT": str(port)})
        user_blue = (49, 106, 197)  # the default "bgcolour"
        self.assertGreater(screen_colours(app.client_area(app.hwnd))[user_blue], 10000)
        settings = self.open(app, IDM_SETTINGS, "Tf_Settings")
        tabs, (left, top, _, _) = children(settings)["SysTabControl32"]
        fields = {0: 3000, 2: 20000, 4: 3000}  # the lists and fields of a tab, in pixels
        # A click on the first tab takes the focus there: the list that has it at first shows
        # its choice highlighted.
        xdotool("mousemove", left + 30, top + 10)
        xdotool("click", 1)
        xdotool("mousemove", 1279, 1023)
        for tab in range(5):
            if tab:
                app.post(WM_KEYDOWN, VK_RIGHT, hwnd=tabs)
            colours = self.dark_colours(app, settings, f"settings_dark_{tab}")
            self.assertGreater(colours[DARK["button"]], 4000, f"tab {tab}: the tabs and buttons")
            area = app.client_area(settings)
            field = lambda: screen_colours(area)[DARK["field"]] >= fields.get(tab, 0)
            self.assertTrue(wait_until(field, timeout=15), f"tab {tab}: {screen_colours(area)[DARK['field']]}")
        app.post(WM_CLOSE, hwnd=settings)
        about = self.open(app, IDM_ABOUT, "Tf_AboutDialog")
        self.assertGreater(bright(self.dark_colours(app, about, "about_dark", DARK["page"])), 5000)
        app.post(WM_CLOSE, hwnd=about)
        update = self.open(app, IDM_CHECKUPDATES, "CorvaneAutoUpdate")
        self.assertTrue(wait_until(lambda: b"not reached" in app.child_text(update, "Static", 0)))
        # Wine 8 keeps a control's visual style when SetWindowTheme is given empty names, which
        # Windows takes for "none": under Wine the progress bar's trough stays light.
        self.assertGreater(self.dark_colours(app, update, "update_dark")[DARK["button"]], 1000)

    def test_high_contrast_wins_over_dark(self):
        if probe("high-contrast", "on", check=False).returncode != 0:
            self.skipTest("Wine 8 does not take SPI_SETHIGHCONTRAST: high contrast stays off")
        self.addCleanup(probe, "high-contrast", "off")
        app = self.launch(config="[display]\ntheme=dark\n" + NO_LOGGING)
        self.assertTrue(wait_until(lambda: app.theme()[0] == HIGH_CONTRAST_MODE, timeout=15))


WS_TABSTOP, BS_GROUPBOX, RADIO_BUTTONS = 0x00010000, 7, (4, 9)
# The classes of the controls a user works with (static texts, frames and up-down arrows are not).
CONTROLS = {"Button", "Edit", "ComboBox", "msctls_trackbar32", "SysTabControl32", "CorvaneColourSwatch",
            "TCorvaneHistoryChart"}


# The languages every window is opened in ("language" in section "display"; none: English):
# German, and the pseudo-language that makes every text 40 % longer.
LANGUAGES = ("", "de", "qps")


def shown_text(language, key):
    """A text of a language file as the program shows it (English for none)."""
    sys.path.insert(0, os.path.join(ROOT, "cmake"))
    import embed_texts
    entries = dict((k, t) for _, k, t in embed_texts.parse(os.path.join(ROOT, "res", "lang", "en.txt"))[1])
    if language:
        entries.update((k, t) for _, k, t in embed_texts.parse(os.path.join(ROOT, "res", "lang", f"{language}.txt"))[1])
    return entries[key]
# The Settings dialog's controls drawn in bold: the Adapters tab's caption and the Bold box.
BOLD_IDS = {"Tf_Settings": (200, 111)}


class KeyboardTest(CorvaneTestCase):
    def reached_by_tab(self, dialog, first_look):
        """Tab pressed round the dialog: every control a user works with is reached, each has a
        name a screen reader can say, and a dialog just opened has the focus on one of them."""
        walk = [line.split("\t") for line in probe("tab-walk", dialog).stdout.decode("utf-8").splitlines()]
        stops = {f[1]: f[3] for f in walk if f[0] == "tab"}
        self.assertNotIn(["stuck"], walk)
        if first_look:
            self.assertIn(walk[0][1], stops, "the focus is on no control")
        for _, hwnd, cls, style in (f for f in walk if f[0] == "control"):
            style = int(style, 16)
            arrow_reached = style & 0xF in RADIO_BUTTONS and not style & WS_TABSTOP  # in a group
            if cls in CONTROLS and not (cls == "Button" and (style & 0xF == BS_GROUPBOX or arrow_reached)):
                self.assertIn(hwnd, stops, f"{cls} {hwnd} is not reached by Tab")
        for hwnd, name in stops.items():
            self.assertRegex(name, r"[^\W\d_]{2}", f"{hwnd} has no name")

    def nothing_clipped(self, dialog, cls):
        """Every visible control's text fits in it, and no two controls overlap."""
        found = probe("clipped", dialog, *BOLD_IDS.get(cls, ()), check=False)
        self.assertEqual(found.stdout.decode("utf-8"), "")
        self.assertEqual(found.returncode, 0)

    def test_every_dialog_is_usable_from_the_keyboard_names_its_controls_and_clips_nothing(self):
        for language in LANGUAGES:
            with self.subTest(language=language or "English"):
                self.every_dialog_in(language)

    def every_dialog_in(self, language):
        # The update check finds no server at a closed port and waits for Cancel.
        display = f"[display]\nlanguage={language}\n" if language else ""
        app = self.launch(config=display + "[bandwidth]\ndolog=0\n",
                          env={"CORVANE_UPDATE_HOST": "127.0.0.1", "CORVANE_UPDATE_PORT": "9"})
        # The Settings pages follow one another by the arrow key on the tabs; Escape closes the
        # History window (no button of the others answers it).
        for command, cls, pages in ((IDM_SETTINGS, "Tf_Settings", 5), (IDM_HISTORY, "Tf_History", 1),
                                    (IDM_ABOUT, "Tf_AboutDialog", 1), (IDM_CHECKUPDATES, "CorvaneAutoUpdate", 1)):
            with self.subTest(cls):
                app.post(WM_COMMAND, command)
                dialog = wait_until(lambda: visible_windows(cls), timeout=30)[0]
                try:
                    for page in range(pages):
                        self.reached_by_tab(dialog, page == 0)
                        self.nothing_clipped(dialog, cls)
                        if pages > 1:
                            app.post(WM_KEYDOWN, VK_RIGHT, hwnd=child_window(dialog, "SysTabControl32"))
                finally:
                    self.close(app, dialog, cls, language)
        app.close()
        self.assertEqual(app.wait_exit(), 0)

    def close(self, app, dialog, cls, language):
        # The update dialog closes at once once nothing runs; the pseudo-language's texts are
        # made by the program, so there its last text is not waited for.
        if cls == "CorvaneAutoUpdate" and language != "qps":
            failed = shown_text(language, "update.unreachable").split("{")[0].encode()
            self.assertTrue(wait_until(lambda: app.child_text(dialog, "Static", 0).startswith(failed), timeout=30))
            self.nothing_clipped(dialog, cls)  # its last text
        if cls == "Tf_History":
            app.post(WM_KEYDOWN, VK_ESCAPE, hwnd=dialog)
        else:
            app.post(WM_CLOSE, hwnd=dialog)
        self.assertTrue(wait_until(lambda: not visible_windows(cls), timeout=30), f"{cls} stays open")


if __name__ == "__main__":
    unittest.main()
