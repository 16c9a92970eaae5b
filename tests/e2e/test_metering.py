"""Metering end to end: real loopback traffic reaches the usage log exactly once, the window
shows the template rendered from the log, and the quota's alert comes once per period."""
import datetime
import socket
import threading
import time
import unittest
from fractions import Fraction

import expected
from harness import WM_TIMER, CorvaneTestCase, log_record, probe, read_log, wait_until

TIMER_UPDATE = 1  # the main window's display timer
QUOTA_ALERT_COUNT = 0x8000 + 102  # answered with the quota alerts shown since start
RATE_ALERT_COUNT = 0x8000 + 105  # answered with the speed alerts shown since start
PBM_GETRANGE, PBM_GETPOS = 0x407, 0x408  # the quota bar's maximum (wParam 0) and position
ALERT_80 = "80% of the quota reached: 85.00MB of 100MB used"
RATE_ALERT = "The rate in has stayed above 1 kB/s for 2 seconds"


def loopback_counters():
    with open("/proc/net/dev") as f:
        for line in f:
            name, _, data = line.partition(":")
            if name.strip() == "lo":
                fields = data.split()
                return int(fields[0]), int(fields[8])
    raise AssertionError("no loopback interface")


def send_over_loopback(total):
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    received = []

    def drain():
        conn, _ = server.accept()
        n = 0
        while True:
            chunk = conn.recv(1 << 16)
            if not chunk:
                break
            n += len(chunk)
        received.append(n)
        conn.close()

    reader = threading.Thread(target=drain)
    reader.start()
    client = socket.create_connection(server.getsockname())
    block = b"x" * (1 << 16)
    sent = 0
    while sent < total:
        client.sendall(block)
        sent += len(block)
    client.close()
    reader.join(timeout=60)
    server.close()
    return received[0]


class LoopbackMeteringTest(CorvaneTestCase):
    # Under Wine the interface table is the machine's: index 1 is the loopback "lo", whose
    # counters are the kernel's, the same as /proc/net/dev shows.
    def test_loopback_traffic_is_logged_once(self):
        app = self.launch(config="[network]\nactiveadapter=1\n")
        start = loopback_counters()  # the monitor's first reading is taken as the window shows
        time.sleep(2)
        self.assertEqual(send_over_loopback(200 << 20), 200 << 20)
        time.sleep(3.5)  # let the sampling thread log the last seconds
        end = loopback_counters()
        logged_in, logged_out = self.close_and_read_today(app)
        grown_in, grown_out = end[0] - start[0], end[1] - start[1]
        ratio_in, ratio_out = logged_in / grown_in, logged_out / grown_out
        print(f"\nloopback grew by {grown_in} in, {grown_out} out; logged {logged_in} in, "
              f"{logged_out} out; ratios {ratio_in:.5f} {ratio_out:.5f}")
        self.assertAlmostEqual(ratio_in, 1.0, delta=0.01)
        self.assertAlmostEqual(ratio_out, 1.0, delta=0.01)

    def test_a_damaged_adapter_identity_is_learned_again(self):
        # Wine gives the loopback (index 1) a LUID of its own, as Windows does.
        rows = [line.split("\t") for line in probe("interfaces").stdout.decode("latin-1").splitlines()]
        luid = int(next(row[1] for row in rows if row[0] == "1"), 16)
        for stored in ("zz", "0" * 16, "7" * 40):
            with self.subTest(adapterluid=stored):
                app = self.launch(config=f"[network]\nactiveadapter=1\nadapterluid={stored}\n"
                                         "[display]\nformat=%MBintoday%\n")
                self.assertEqual(send_over_loopback(8 << 20), 8 << 20)
                today = lambda: app.child_text(app.hwnd, "TCorvaneStatsLabel", 0)
                self.assertTrue(wait_until(lambda: float(today() or 0) >= 8.0, timeout=30), today())
                app.close()
                self.assertEqual(app.wait_exit(), 0)
                self.assertIn(f"adapterluid={luid:016X}\r\n", app.read("config.ini").decode("latin-1"))


TEMPLATE = ("Rates %kBinpersec%/%kBoutpersec% %Mbinpersec% %Kboutpersec%%nl%"
            "Y %MBinoutthisyear% %GBinthisyear% %TBoutthisyear%%nl%"
            "M %MBinthismonth% %MBoutthismonth% %GBinoutthismonth% %TBinthismonth%%nl%"
            "W %MBinoutthisweek% %GBoutthisweek%%nl%"
            "D %MBintoday% %MBouttoday% %GBinouttoday%%nl%"
            "R %MBinout% %GBin% %mbintoday% 50% && more")


class RenderingTest(CorvaneTestCase):
    def prepared_log(self):
        today = datetime.date.today()
        dates = [today, today - datetime.timedelta(days=1), today - datetime.timedelta(days=9),
                 today - datetime.timedelta(days=40), today.replace(year=today.year - 1)]
        amounts = [(1536 * 1024 * 1024 + 12345, 300 * 1024 * 1024 + 7), (123456789, 987654321),
                   (5 * 1024 ** 3 + 3, 17), (1024 ** 4 + 999, 2 ** 40 + 2 ** 39), (777, 888)]
        return [(expected.day_number(d), i, o) for d, (i, o) in zip(dates, amounts)]

    def rendered_label(self, app):
        def label():
            text = app.child_text(app.hwnd, "TCorvaneStatsLabel", 0).decode("latin-1")
            return text if text.startswith("Rates") else None
        return wait_until(label, timeout=20)

    def test_label_shows_the_template_rendered_from_the_log(self):
        records = self.prepared_log()
        sums = expected.period_sums(records, datetime.date.today())
        data = b"".join(log_record(*r) for r in records)
        for decimals in (0, 2, 5):
            with self.subTest(decimals=decimals):
                config = (f"[network]\nactiveadapter=999999\n[display]\ndecimalplaces={decimals}\n"
                          f"format={TEMPLATE}\n[bandwidth]\ndolog=0\n")
                app = self.launch(config=config, files={"bandlog.dat": data})
                self.assertEqual(self.rendered_label(app), expected.render(TEMPLATE, decimals, sums))
                app.close()
                self.assertEqual(app.wait_exit(), 0)


class QuotaAlertTest(CorvaneTestCase):
    def balloons(self, alert=ALERT_80):
        """Visible balloons with an alert, by default the 80 % one. Under Wine a tray balloon is a visible
        "tooltips_class32" window of Wine's explorer, and WM_GETTEXT gives its text."""
        found = []
        for line in probe("list").stdout.decode("utf-8", "replace").splitlines():
            fields = line.split("\t")
            if len(fields) > 3 and fields[1] == "tooltips_class32" and fields[3] == "1":
                text = probe("text", fields[0], check=False)  # the tip may close meanwhile
                shown = text.stdout.decode("latin-1")
                if text.returncode == 0 and shown.strip() == alert:
                    found.append(shown)
        return found

    def ticks_then_alert_count(self, app):
        # A sent message is handled before its answer: three whole display ticks have run.
        for _ in range(3):
            app.send(WM_TIMER, TIMER_UPDATE)
        return app.send(QUOTA_ALERT_COUNT)

    def test_crossing_80_percent_notifies_once_and_not_after_a_restart(self):
        today = datetime.date.today()
        # 100 MB from today on: too early in the period for the pace alert. Nothing is logged
        # while the program runs, so each start sees the log as prepared.
        config = (f"[network]\nactiveadapter=999999\n[display]\nmonthquota=100\n"
                  f"quotastartday={today.day}\n[bandwidth]\ndolog=0\n")
        app = self.launch(config=config,
                          files={"bandlog.dat": log_record(expected.day_number(today), 79 << 20, 0)})
        self.assertEqual(self.ticks_then_alert_count(app), 0, "79 % is not there yet")
        children = [c.split("\t") for c in probe("children", app.hwnd).stdout.decode().split("\n")]
        bar = [c[0] for c in children if len(c) > 1 and c[1] == "msctls_progress32"][0]
        self.assertEqual(app.send(PBM_GETPOS, hwnd=bar), 79)
        self.assertEqual(app.send(PBM_GETRANGE, 0, 0, hwnd=bar), 100)
        app.close()
        self.assertEqual(app.wait_exit(), 0)

        # Yesterday's 6 MB lie before the period; today's 6 MB more cross 80 %.
        app.write("bandlog.dat", log_record(expected.day_number(today), 79 << 20, 6 << 20)
                  + log_record(expected.day_number(today) - 1, 6 << 20, 0))
        app.start()
        self.assertTrue(wait_until(self.balloons, timeout=30), "no balloon with the alert")
        self.assertEqual(self.ticks_then_alert_count(app), 1)
        self.assertEqual(len(self.balloons()), 1)
        remembered = f"quotaalertsshown={today.isoformat()}:80\r\n"
        self.assertIn(remembered, app.read("config.ini").decode("latin-1"))
        app.close()
        self.assertEqual(app.wait_exit(), 0)

        app.start()
        self.assertEqual(self.ticks_then_alert_count(app), 0)
        self.assertEqual(self.balloons(), [])
        app.close()
        self.assertEqual(app.wait_exit(), 0)
        self.assertIn(remembered, app.read("config.ini").decode("latin-1"))

    def test_a_sustained_transfer_notifies_once(self):
        app = self.launch(config="[network]\nactiveadapter=1\n[bandwidth]\nratealertin=1\n"
                                 "ratealertseconds=2\n")
        self.assertEqual(app.send(RATE_ALERT_COUNT), 0)
        start = loopback_counters()[0]
        stop = threading.Event()
        server = socket.socket()
        server.bind(("127.0.0.1", 0))
        server.listen(1)
        client = socket.create_connection(server.getsockname())
        conn, _ = server.accept()

        def drain():
            while conn.recv(1 << 16):
                pass

        def send():  # paced to about 3 MB/s, far above 1 kB/s, for as long as the test wants
            while not stop.is_set():
                client.sendall(b"x" * (1 << 16))
                time.sleep(0.02)
            client.close()
        drained, sender = threading.Thread(target=drain), threading.Thread(target=send)
        drained.start()
        sender.start()
        try:
            self.assertTrue(wait_until(lambda: app.send(RATE_ALERT_COUNT) == 1, timeout=60))
            to_alert = loopback_counters()[0] - start
            self.assertTrue(wait_until(lambda: self.balloons(RATE_ALERT), timeout=30))
            # The transfer goes on for twice as long again as it took to alert: no second one.
            self.assertTrue(wait_until(lambda: loopback_counters()[0] - start > 3 * to_alert,
                                       timeout=120))
            self.assertEqual(app.send(RATE_ALERT_COUNT), 1)
        finally:
            stop.set()
            sender.join(timeout=30)
            drained.join(timeout=30)
            conn.close()
            server.close()
        app.close()
        self.assertEqual(app.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
