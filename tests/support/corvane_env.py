"""What the Python tests share: the Wine environment they run programs in, a quiet web server
on 127.0.0.1, and the program's command ids read from its resource header."""
import functools
import http.server
import os
import re
import shutil
import threading

ROOT = os.environ.get("CORVANE_ROOT", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
WINE = shutil.which("wine") or "/usr/lib/wine/wine64"
# The header that numbers the popup menu's commands: the one place that says where it lies.
RESOURCE_HEADER = os.path.join(ROOT, "res", "resource.h")


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    env["WINEARCH"] = "win64"
    return env


def resource_ids(path=RESOURCE_HEADER):
    """The header's `#define NAME number` lines as a dictionary."""
    with open(path, encoding="utf-8") as f:
        return {name: int(value) for name, value in re.findall(r"^#define\s+(\w+)\s+(\d+)\b", f.read(), re.M)}


_IDS = resource_ids()
IDM_SETTINGS = _IDS["IDM_SETTINGS"]
IDM_ABOUT = _IDS["IDM_ABOUT"]
IDM_CHECKUPDATES = _IDS["IDM_CHECKUPDATES"]
IDM_MINIMIZE = _IDS["IDM_MINIMIZE"]
IDM_CLOSE = _IDS["IDM_CLOSE"]
IDM_HISTORY = _IDS["IDM_HISTORY"]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve_folder(root):
    """Serves the files below root on 127.0.0.1 at a free port, from a daemon thread. Returns
    the server; stop_server ends it."""
    handler = functools.partial(QuietHandler, directory=root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def stop_server(server):
    server.shutdown()
    server.server_close()
