"""The watched interface renumbered while corvane.exe runs, and two interfaces counted together.

The whole Wine session (its own prefix, hence its own wineserver and services) runs inside a
network namespace made here, holding one end "va" of a veth pair; the other end "vb" sits in a
second namespace, so that traffic between their two addresses crosses va. Deleting and making
the pair again gives va a new interface index. Corvane starts as a new installation does,
following the active connection, which the route look-up finds on va.

Relies on Wine 8 facts: its interface table and route look-up are the namespace's, and it makes
an interface's LUID and GUID from the kernel's index, so a renumbered interface is a new one
for it too."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import harness
from harness import WINE, CorvaneTestCase, wait_until

PBT_APMSUSPEND = 4
PBT_APMRESUMEAUTOMATIC = 0x12
WM_POWERBROADCAST = 0x0218
MB = 1024 * 1024
HOST_ADDRESS, PEER_ADDRESS, PORT = "10.201.0.1", "10.201.0.2", 7100

# Serves exchanges: a 16-byte header with the size of the answer, the request until the client
# stops sending, then the answer.
SERVER = r"""
import socket, sys
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("0.0.0.0", int(sys.argv[1])))
s.listen(4)
print("ready", flush=True)
while True:
    c, _ = s.accept()
    header = b""
    while len(header) < 16:
        header += c.recv(16 - len(header))
    while c.recv(1 << 16):
        pass
    c.sendall(b"y" * int(header))
    c.close()
"""

CLIENT = r"""
import socket, sys
c = socket.create_connection((sys.argv[1], int(sys.argv[2])), timeout=60)
c.sendall(b"%16d" % int(sys.argv[4]))
c.sendall(b"x" * int(sys.argv[3]))
c.shutdown(socket.SHUT_WR)
n = 0
while True:
    chunk = c.recv(1 << 16)
    if not chunk:
        break
    n += len(chunk)
print(n)
"""

TEMPLATE = "%MBintoday% %MBouttoday% %MBin% %MBout%"


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=60).stdout


class RenumberingTest(CorvaneTestCase):
    def setUp(self):
        if os.geteuid() != 0:
            self.skipTest("network namespaces need root")
        if not shutil.which("ip") or subprocess.run(["ip", "netns", "list"],
                                                    capture_output=True).returncode != 0:
            self.skipTest("ip netns is not available")
        self.host = f"corvane-e2e-{os.getpid()}"
        self.peer = self.host + "-peer"
        for name in (self.host, self.peer):
            if subprocess.run(["ip", "netns", "add", name], capture_output=True).returncode != 0:
                self.skipTest("cannot make a network namespace here")
            self.addCleanup(subprocess.run, ["ip", "netns", "del", name], capture_output=True)
            # Inside a chroot the namespace is made but cannot be entered ("/" is no mount).
            entered = subprocess.run(["ip", "netns", "exec", name, "true"], capture_output=True,
                                     text=True)
            if entered.returncode != 0:
                self.skipTest("cannot enter a network namespace here: " + entered.stderr.strip())
            # Quiet interfaces: their counters move only with the traffic made here.
            for key in ("all", "default"):
                run("ip", "netns", "exec", name, "sysctl", "-qw",
                    f"net.ipv6.conf.{key}.disable_ipv6=1")
            run("ip", "-n", name, "link", "set", "lo", "up")
        self.make_pair()

        prefix = tempfile.mkdtemp(prefix="corvane-netns-prefix-")
        self.addCleanup(shutil.rmtree, prefix, ignore_errors=True)
        saved = (dict(os.environ), list(harness.COMMAND_PREFIX))
        self.addCleanup(self.restore, saved)
        os.environ["WINEPREFIX"] = prefix
        harness.COMMAND_PREFIX[:] = ["ip", "netns", "exec", self.host]
        env = harness.wine_env()
        self.addCleanup(subprocess.run, [*harness.COMMAND_PREFIX, "/usr/lib/wine/wineserver64", "-k"],
                        env=env, capture_output=True, timeout=60)
        # Wine's services start with the first program and stay: their output goes to a file.
        with tempfile.TemporaryFile() as out:
            subprocess.run([*harness.COMMAND_PREFIX, WINE, "wineboot", "-i"], env=env, stdout=out,
                           stderr=out, stdin=subprocess.DEVNULL, check=True, timeout=300)

        server = subprocess.Popen(["ip", "netns", "exec", self.peer, sys.executable, "-c", SERVER,
                                   str(PORT)], stdout=subprocess.PIPE, text=True)
        self.addCleanup(server.wait, timeout=30)
        self.addCleanup(server.kill)
        self.assertEqual(server.stdout.readline().strip(), "ready")

    @staticmethod
    def restore(saved):
        os.environ.clear()
        os.environ.update(saved[0])
        harness.COMMAND_PREFIX[:] = saved[1]

    def make_pair(self, host_end="va", peer_end="vb", host=HOST_ADDRESS, peer=PEER_ADDRESS):
        run("ip", "-n", self.host, "link", "add", host_end, "type", "veth", "peer", "name",
            peer_end, "netns", self.peer)
        run("ip", "-n", self.host, "addr", "add", host + "/24", "dev", host_end)
        run("ip", "-n", self.peer, "addr", "add", peer + "/24", "dev", peer_end)
        run("ip", "-n", self.host, "link", "set", host_end, "up")
        run("ip", "-n", self.peer, "link", "set", peer_end, "up")
        if host_end == "va":
            # The namespace's way to the Internet; vb's namespace forwards nothing further.
            run("ip", "-n", self.host, "route", "add", "default", "dev", "va")

    def va(self, name="va"):
        return json.loads(run("ip", "-n", self.host, "-j", "-s", "link", "show", "dev", name))[0]

    def va_counters(self, name="va"):
        stats = self.va(name)["stats64"]
        return stats["rx"]["bytes"], stats["tx"]["bytes"]

    def wine_rows(self):
        rows = harness.probe("interfaces").stdout.decode("latin-1").splitlines()
        return [row.split("\t") for row in rows]

    def wine_lists_va(self, index):
        return any(row[0] == str(index) and row[3] == "va" for row in self.wine_rows())

    def exchange(self, out_bytes, in_bytes, peer=PEER_ADDRESS):
        received = run("ip", "netns", "exec", self.host, sys.executable, "-c", CLIENT,
                       peer, str(PORT), str(out_bytes), str(in_bytes))
        self.assertEqual(int(received), in_bytes)

    def shown(self, app):
        """Today's logged bytes in and out and the watched adapter's counters, from the label;
        zeros until the label shows the template."""
        text = app.child_text(app.hwnd, "TCorvaneStatsLabel", 0).decode("latin-1").split()
        if len(text) != 4:
            return (0, 0, -1, -1)
        return tuple(round(float(value) * MB) for value in text)

    def wait_watching_va(self, app):
        self.assertTrue(wait_until(lambda: self.shown(app)[2:] == self.va_counters(), timeout=30),
                        f"not watching va: {self.shown(app)} against {self.va_counters()}")

    def wait_logged(self, app, at_least_in, at_least_out):
        def logged():
            shown = self.shown(app)
            return shown[0] >= at_least_in and shown[1] >= at_least_out
        self.assertTrue(wait_until(logged, timeout=30), f"not logged: {self.shown(app)}")

    def test_logging_follows_the_renumbered_interface_and_invents_nothing(self):
        old_index = self.va()["ifindex"]
        self.assertTrue(self.wine_lists_va(old_index), "Wine does not list va")
        start = self.va_counters()
        app = self.launch(config=f"[display]\nformat={TEMPLATE}\ndecimalplaces=9\n")

        # Watching va: its counters are what the label shows since it started.
        self.exchange(4 * MB, 2 * MB)
        self.wait_watching_va(app)
        self.wait_logged(app, 2 * MB, 4 * MB)

        old_end = self.va_counters()
        run("ip", "-n", self.host, "link", "del", "va")
        self.make_pair()
        new_index = self.va()["ifindex"]
        self.assertNotEqual(new_index, old_index, "va was not renumbered")
        # Wine keeps listing the interface it saw first, now without counters, beside the new.
        self.assertTrue(wait_until(lambda: self.wine_lists_va(new_index), timeout=30))
        self.wait_watching_va(app)
        logged_before = self.shown(app)[:2]

        # A sleep on the way: the first reading after it starts anew (what moved before it is
        # not logged), and logging goes on from there.
        app.send(WM_POWERBROADCAST, PBT_APMSUSPEND, 0)
        app.send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0)
        self.exchange(1024, 1024)
        self.wait_watching_va(app)
        self.exchange(3 * MB, 1 * MB)
        self.wait_logged(app, logged_before[0] + MB, logged_before[1] + 3 * MB)
        new_end = self.va_counters()
        logged_in, logged_out = self.close_and_read_today(app)
        print(f"\nva {old_index} -> {new_index}; logged {logged_in} in, {logged_out} out; "
              f"counters moved {old_end[0] - start[0]} + {new_end[0]} in, "
              f"{old_end[1] - start[1]} + {new_end[1]} out")
        # Nothing invented: no more than both interfaces' counters moved while it ran.
        self.assertLessEqual(logged_in, old_end[0] - start[0] + new_end[0])
        self.assertLessEqual(logged_out, old_end[1] - start[1] + new_end[1])
        # Nothing that crossed either interface is missing (payload, without headers).
        self.assertGreaterEqual(logged_in, 3 * MB)
        self.assertGreaterEqual(logged_out, 7 * MB)

    def test_two_adapters_counted_together_log_both_counters_movement(self):
        self.make_pair("wa", "wb", "10.202.0.1", "10.202.0.2")
        luid = {row[3]: row[1][2:].upper() for row in self.wine_rows()}
        self.assertIn("wa", luid, "Wine does not list wa")
        start = [self.va_counters(name) for name in ("va", "wa")]
        app = self.launch(config=f"[network]\nfollowactive=0\nactiveadapter={self.va()['ifindex']}\n"
                                 f"adapterluid={luid['va']}\nadapters={luid['va']};{luid['wa']}\n"
                                 f"[display]\nformat={TEMPLATE}\ndecimalplaces=9\n")
        self.exchange(2 * MB, 1 * MB)
        self.exchange(1 * MB, 3 * MB, peer="10.202.0.2")
        end = [self.va_counters(name) for name in ("va", "wa")]
        moved = tuple(sum(e[i] - s[i] for s, e in zip(start, end)) for i in (0, 1))

        # The label's totals are both counters together, today's log what both moved.
        both = tuple(sum(e[i] for e in end) for i in (0, 1))
        self.assertTrue(wait_until(lambda: self.shown(app) == moved + both, timeout=30),
                        f"shown {self.shown(app)}, counters moved {moved}, now {both}")
        self.assertEqual(self.close_and_read_today(app), moved)
        self.assertGreaterEqual(moved[0], 4 * MB)
        self.assertGreaterEqual(moved[1], 3 * MB)


if __name__ == "__main__":
    unittest.main()
