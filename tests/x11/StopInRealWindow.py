#!/usr/bin/python3
# "中止" in the real window: Kelu on an X server (Xvfb, the xcb platform) with its accessibility
# bridge on and this script reading the window's tree through AT-SPI, as a screen reader does.
# A local server sends the first kilobyte of an archive and then either falls silent or keeps
# sending slowly; xdotool clicks the download button and then "中止". The dialog must be gone
# promptly, no message may follow, and the window must keep answering the reader throughout.
#
#   StopInRealWindow.py PROGRAM_FOLDER
#
# Exits 77 (skipped) when the X server, xdotool, D-Bus, the AT-SPI bus or PyGObject is missing.

import http.server
import os
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
# The stop is asked to end the command within a second; the bound below leaves room for a
# loaded machine while still telling a prompt stop from one that waited for the server (which
# holds its stall for a minute) or for the 30-second low-speed limit. The period download's
# 中止 is held to the same bound.
STOP_BOUND_SECONDS = 2.0

try:
    import gi
    gi.require_version('Atspi', '2.0')
except (ImportError, ValueError):
    print("skipped: PyGObject with Atspi is not installed")
    sys.exit(SKIP)
# Imported once the X server and the buses are up: the library finds them when it loads.
Atspi = None

for tool in ("Xvfb", "xdotool", "dbus-daemon"):
    if not shutil.which(tool):
        print(f"skipped: {tool} is not installed")
        sys.exit(SKIP)
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
if not os.path.exists(BUS_LAUNCHER):
    print("skipped: at-spi2-core is not installed")
    sys.exit(SKIP)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    mode = "stall"
    started = threading.Event()
    release = threading.Event()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(1 << 20))
        self.end_headers()
        self.wfile.write(b"x" * 1024)
        self.wfile.flush()
        self.server.started.set()
        if self.server.mode == "stall":
            self.server.release.wait(60)
            return
        # Bytes keep flowing, a kilobyte every tenth of a second, until the client goes.
        try:
            for _ in range(600):
                if self.server.release.wait(0.1):
                    return
                self.wfile.write(b"x" * 1024)
                self.wfile.flush()
        except OSError:
            pass

    def log_message(self, *args):
        pass


def start(args, **kwargs):
    return subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)


def find(node, role, name, depth=0):
    """The first accessible of the role whose name is the name (or starts with it, for a name
    ending in "*"), depth first."""
    try:
        node_name = node.get_name() or ""
        named = node_name.startswith(name[:-1]) if name.endswith("*") else node_name == name
        if node.get_role_name() == role and named:
            return node
        for i in range(node.get_child_count()):
            found = find(node.get_child_at_index(i), role, name, depth + 1)
            if found:
                return found
    except Exception:
        pass
    return None


def count(node):
    try:
        return 1 + sum(count(node.get_child_at_index(i)) for i in range(node.get_child_count()))
    except Exception:
        return 1


def kelu_app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app and app.get_name() == "kelu":
            return app
    return None


def wait_for(what, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = what()
        if found:
            return found
        time.sleep(0.05)
    return None


def accessibility_bus_ready(env):
    """True once the session bus names the accessibility bus and that bus answers."""
    asked = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                            "org.a11y.Bus.GetAddress"], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           text=True)
    if asked.returncode != 0 or '"' not in asked.stdout:
        return False
    address = asked.stdout.split('"')[1]
    answered = subprocess.run(["dbus-send", f"--bus={address}", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                               "org.freedesktop.DBus.ListNames"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    return answered.returncode == 0


def click(accessible, display_env):
    extents = accessible.get_extents(Atspi.CoordType.SCREEN)
    x = extents.x + extents.width // 2
    y = extents.y + extents.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=display_env, check=True)


def message_shown(display_env):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^ダウンロード$"], env=display_env,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return bool(result.stdout.strip())


def shown(accessible):
    """The accessible when it is on the screen, else None."""
    if accessible and accessible.get_extents(Atspi.CoordType.SCREEN).width > 0 and \
            accessible.get_state_set().contains(Atspi.StateType.SHOWING):
        return accessible
    return None


def stop_period(env, server):
    """The period download from the menu: 中止 while a transfer waits ends the run within the
    bound and keeps the dialog with its summary; 閉じる then closes it. Returns the failures."""
    server.mode = "stall"
    server.started.clear()
    server.release.clear()
    # The menu as a user opens it: a click on its title, then on the item once it shows.
    menu = wait_for(lambda: find(kelu_app(), "menu item", "ﾌｧｲﾙ*"), 10)
    if not menu:
        print("FAIL (period): no ﾌｧｲﾙ menu")
        return 1
    click(menu, env)
    item = wait_for(lambda: shown(find(kelu_app(), "menu item", "期間を指定して*")), 10)
    if not item:
        print("FAIL (period): no menu item for the period download")
        return 1
    click(item, env)
    start_button = wait_for(lambda: find(kelu_app(), "push button", "開始"), 10)
    if not start_button:
        print("FAIL (period): the period dialog did not open")
        return 1
    click(start_button, env)
    if not server.started.wait(15):
        print("FAIL (period): the period download never reached the server")
        return 1
    stop = find(kelu_app(), "push button", "中止")
    time.sleep(0.5)
    start_time = time.monotonic()
    click(stop, env)
    summary = wait_for(lambda: find(kelu_app(), "label", "中止しました。*"), 10)
    elapsed = time.monotonic() - start_time
    server.release.set()
    failures = 0
    print(f"period: summary {elapsed:.2f} s after the click: {summary.get_name() if summary else 'none'}")
    if not summary or elapsed > STOP_BOUND_SECONDS:
        print(f"FAIL (period): the run did not end within {STOP_BOUND_SECONDS} s")
        failures += 1
    close = find(kelu_app(), "push button", "閉じる")
    if close:
        click(close, env)
    if not wait_for(lambda: find(kelu_app(), "push button", "開始") is None, 10):
        print("FAIL (period): 閉じる did not close the dialog")
        failures += 1
    return failures


def main():
    if len(sys.argv) != 2:
        print("usage: StopInRealWindow.py PROGRAM_FOLDER")
        return 2
    program = os.path.join(os.path.abspath(sys.argv[1]), "kelu")
    work = tempfile.mkdtemp(prefix="kelu-x11-")
    processes = []
    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        processes.append(xvfb)
        os.close(write_fd)
        # The server writes its display number and a line end once it accepts clients.
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        display = ":" + number.decode().strip()
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             stdout=subprocess.PIPE, check=True, text=True).stdout.split()
        env = dict(os.environ, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus[0], QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", NO_AT_BRIDGE="0", no_proxy="127.0.0.1,localhost")
        env.pop("http_proxy", None)
        os.environ.update(DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus[0])
        processes.append(start([BUS_LAUNCHER, "--launch-immediately"], env=env))
        # Both the reader's library and Kelu's bridge look for the accessibility bus once, as
        # they start: neither may start before the bus answers.
        if not wait_for(lambda: accessibility_bus_ready(env), 30):
            print("FAIL: the accessibility bus never answered")
            return 1
        global Atspi
        from gi.repository import Atspi as AtspiModule
        Atspi = AtspiModule
        os.makedirs(os.path.join(work, "data", "prog"))
        os.makedirs(os.path.join(work, "data", "res"))
        with open(os.path.join(work, "data", "kelu.ini"), "w") as ini:
            ini.write(f"[URL]\r\nDATA=http://127.0.0.1:{server.server_address[1]}\r\n")
        processes.append(start([program], cwd=work, env=env))

        app = wait_for(kelu_app, 30)
        if not app:
            print("FAIL: the window never showed up on the accessibility bus")
            return 1
        nodes_before = count(app)
        failures = 0
        for mode in ("stall", "flow"):
            server.mode = mode
            server.started.clear()
            server.release.clear()
            button = wait_for(lambda: find(kelu_app(), "push button", "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分)"), 10)
            click(button, env)
            if not server.started.wait(15):
                print(f"FAIL ({mode}): the download never reached the server")
                return 1
            stop = wait_for(lambda: find(kelu_app(), "push button", "中止"), 10)
            if not stop:
                print(f"FAIL ({mode}): no 中止 button in the accessible tree")
                return 1
            # The reader reads the whole window while the transfer waits, as a screen reader does.
            time.sleep(1.5)
            nodes_during = count(kelu_app())
            start_time = time.monotonic()
            click(stop, env)
            gone = wait_for(lambda: find(kelu_app(), "push button", "中止") is None, 10)
            elapsed = time.monotonic() - start_time
            time.sleep(1.5)
            shown = message_shown(env)
            server.release.set()
            print(f"{mode}: tree of {nodes_during} nodes during the transfer ({nodes_before} before); "
                  f"dialog gone {elapsed:.2f} s after the click; message: {'yes' if shown else 'none'}")
            if not gone or elapsed > STOP_BOUND_SECONDS:
                print(f"FAIL ({mode}): the dialog did not go within {STOP_BOUND_SECONDS} s")
                failures += 1
            if shown:
                print(f"FAIL ({mode}): a message came after 中止")
                failures += 1
            if nodes_during <= nodes_before:
                print(f"FAIL ({mode}): the reader could not read the window during the transfer")
                failures += 1
        failures += stop_period(env, server)
        return 1 if failures else 0
    finally:
        server.release.set()
        server.shutdown()
        for p in reversed(processes):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        try:
            if 'bus' in locals() and len(bus) > 1:
                os.kill(int(bus[1]), 15)
        except (OSError, ValueError):
            pass
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
