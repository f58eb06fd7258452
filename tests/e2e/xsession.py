"""A private X display for driving Lexomat from outside: Xvfb, openbox as the
window manager and trayer as the notification area, plus the xdotool, xwininfo,
xprop and ImageMagick calls the scenarios look at the screen with."""

import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import subprocess
import time

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
TRAY_WIDTH = 100
TRAY_HEIGHT = 24

REQUIRED_TOOLS = ("Xvfb", "setxkbmap", "openbox", "trayer", "xdotool", "xwininfo", "xprop", "import")


class E2EFailure(AssertionError):
    pass


def wait_until(what, probe, timeout=8.0, interval=0.05):
    """Polls probe until it returns something true and returns that; fails
    naming what was awaited when the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise E2EFailure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


class Window:
    """What xwininfo says about one window, in root coordinates."""

    def __init__(self, wid, x, y, width, height, viewable, name):
        self.id = wid
        self.x = x
        self.y = y
        self.width = width
        self.height = height
        self.viewable = viewable
        self.name = name

    @property
    def right(self):
        return self.x + self.width

    @property
    def bottom(self):
        return self.y + self.height

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def __repr__(self):
        state = "viewable" if self.viewable else "not viewable"
        return f"<window {self.id:#x} {self.name!r} {self.width}x{self.height}+{self.x}+{self.y} {state}>"


class Shot:
    """A screenshot of the whole screen as 8-bit RGB."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data

    def box_of(self, colour, left, top, right, bottom, min_run=1, max_run=None):
        """Bounding box (left, top, right, bottom; right and bottom exclusive)
        of the runs of at least min_run (and at most max_run) pixels of
        exactly this colour along the pixel rows of the given area, or None."""
        left, top = max(left, 0), max(top, 0)
        right, bottom = min(right, self.width), min(bottom, self.height)
        wanted = bytes(colour)
        found = None
        for y in range(top, bottom):
            row = self.data[(y * self.width + left) * 3:(y * self.width + right) * 3]
            first = last = None
            run_start = None
            for i in range(0, len(row) + 3, 3):
                if i < len(row) and row[i:i + 3] == wanted:
                    if run_start is None:
                        run_start = i // 3
                    continue
                if (run_start is not None and i // 3 - run_start >= min_run
                        and (max_run is None or i // 3 - run_start <= max_run)):
                    if first is None:
                        first = run_start
                    last = i // 3 - 1
                run_start = None
            if first is None:
                continue
            if found is None:
                found = [left + first, y, left + last + 1, y + 1]
            else:
                found[0] = min(found[0], left + first)
                found[2] = max(found[2], left + last + 1)
                found[3] = y + 1
        return tuple(found) if found else None

    def count_other(self, colour, left, top, right, bottom):
        """How many pixels inside the area differ from the colour."""
        wanted = bytes(colour)
        count = 0
        for y in range(max(top, 0), min(bottom, self.height)):
            row = self.data[(y * self.width + left) * 3:(y * self.width + right) * 3]
            for i in range(0, len(row), 3):
                if row[i:i + 3] != wanted:
                    count += 1
        return count

    def lowest_row_with_other(self, colour, left, top, right, bottom):
        """The lowest pixel row of the area that holds a pixel of another
        colour, or None when the whole area is of that colour."""
        wanted = bytes(colour)
        for y in range(min(bottom, self.height) - 1, max(top, 0) - 1, -1):
            row = self.data[(y * self.width + left) * 3:(y * self.width + right) * 3]
            if any(row[i:i + 3] != wanted for i in range(0, len(row), 3)):
                return y
        return None


class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessage), ("pad", ctypes.c_long * 24)]


class _Xlib:
    """The few Xlib calls that have no command-line tool here: who owns a
    selection, and a close request to the window manager."""

    CLIENT_MESSAGE = 33
    SUBSTRUCTURE_NOTIFY_AND_REDIRECT = (1 << 19) | (1 << 20)

    def __init__(self, display):
        name = ctypes.util.find_library("X11") or "libX11.so.6"
        x11 = ctypes.CDLL(name)
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(_XEvent)]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._x11 = x11
        self._display = display

    def _open(self):
        dpy = self._x11.XOpenDisplay(self._display.encode())
        if not dpy:
            raise E2EFailure(f"cannot open display {self._display}")
        return dpy

    def selection_owner(self, selection):
        dpy = self._open()
        try:
            return self._x11.XGetSelectionOwner(dpy, self._x11.XInternAtom(dpy, selection.encode(), 0))
        finally:
            self._x11.XCloseDisplay(dpy)

    def request_close(self, wid):
        """_NET_CLOSE_WINDOW, as a pager or wmctrl -c sends it: the window
        manager then asks the window to close, as its close button does."""
        dpy = self._open()
        try:
            event = _XEvent()
            event.xclient.type = self.CLIENT_MESSAGE
            event.xclient.send_event = 1
            event.xclient.window = wid
            event.xclient.message_type = self._x11.XInternAtom(dpy, b"_NET_CLOSE_WINDOW", 0)
            event.xclient.format = 32
            event.xclient.data[0] = 0  # CurrentTime
            event.xclient.data[1] = 2  # on behalf of the user
            root = self._x11.XDefaultRootWindow(dpy)
            if not self._x11.XSendEvent(dpy, root, 0, self.SUBSTRUCTURE_NOTIFY_AND_REDIRECT, ctypes.byref(event)):
                raise E2EFailure("the close request could not be sent")
            self._x11.XSync(dpy, 0)
        finally:
            self._x11.XCloseDisplay(dpy)


class XSession:
    """Xvfb on a free display chosen by the server itself, with openbox and
    trayer. Everything runs with a private home below base_dir."""

    def __init__(self, base_dir):
        self.base_dir = base_dir
        self.home = os.path.join(base_dir, "x-home")
        self.display = None
        self._processes = []  # (name, Popen), in start order
        self.tray_panel = None
        self.xlib = None

    # -- life -------------------------------------------------------------

    def start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if missing:
            raise E2EFailure("missing tools for the end-to-end tests: " + ", ".join(missing)
                             + " (packages xvfb, openbox, trayer, xdotool, x11-utils, imagemagick)")
        for sub in ("", ".config", ".cache", ".local/share", "runtime"):
            os.makedirs(os.path.join(self.home, sub), exist_ok=True)
        os.chmod(os.path.join(self.home, "runtime"), 0o700)
        self._start_server()
        self.xlib = _Xlib(self.display)
        # Russian letters on the keyboard itself (second group), so that
        # typing them needs no keymap change while the program reads keys.
        self.run("setxkbmap", "-layout", "us,ru")
        self._start_window_manager()
        self._start_tray()

    def stop(self):
        for name, process in reversed(self._processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)
        self._processes.clear()

    def _log(self, name):
        return open(os.path.join(self.base_dir, f"{name}.log"), "wb")

    def base_env(self):
        env = {key: value for key, value in os.environ.items()
               if key not in ("DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER")}
        env.update({
            "DISPLAY": self.display or "",
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"),
        })
        return env

    def _spawn(self, name, args):
        with self._log(name) as log:
            process = subprocess.Popen(args, env=self.base_env(), stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT, start_new_session=True)
        self._processes.append((name, process))
        return process

    def _start_server(self):
        read_end, write_end = os.pipe()
        try:
            with self._log("xvfb") as log:
                process = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                     f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
                    pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                    start_new_session=True)
            self._processes.append(("xvfb", process))
            os.close(write_end)
            write_end = -1
            number = b""
            deadline = time.monotonic() + 15
            os.set_blocking(read_end, False)
            while not number.endswith(b"\n"):
                if process.poll() is not None:
                    raise E2EFailure("Xvfb ended at start; see xvfb.log in " + self.base_dir)
                if time.monotonic() > deadline:
                    raise E2EFailure("Xvfb did not report its display number")
                try:
                    chunk = os.read(read_end, 16)
                except BlockingIOError:
                    time.sleep(0.02)
                    continue
                if not chunk:
                    time.sleep(0.02)
                number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)

    def _start_window_manager(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        # The work area is among the last things openbox sets at start-up.
        wait_until("openbox to manage the screen",
                   lambda: "window id #" in self.xprop_root("_NET_SUPPORTING_WM_CHECK")
                   and "=" in self.xprop_root("_NET_WORKAREA"), timeout=15)

    def pause_window_manager(self):
        """Stops openbox where it stands: windows mapped meanwhile wait for
        their frame until it goes on, as under a busy window manager."""
        self._window_manager().send_signal(signal.SIGSTOP)

    def resume_window_manager(self):
        self._window_manager().send_signal(signal.SIGCONT)

    def _window_manager(self):
        return next(process for name, process in self._processes if name == "openbox")

    def _start_tray(self):
        # A window mapped while the window manager is still settling can stay
        # unmapped for good; trayer is then started once more.
        for attempt in range(3):
            process = self._spawn("trayer", [
                "trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                "--width", str(TRAY_WIDTH), "--heighttype", "pixel", "--height", str(TRAY_HEIGHT),
                "--SetDockType", "true", "--transparent", "false", "--expand", "false"])
            try:
                self.tray_panel = wait_until("trayer's panel", self._tray_ready, timeout=5)
                return
            except E2EFailure:
                if attempt == 2:
                    raise
                process.terminate()
                process.wait(timeout=5)

    def _tray_ready(self):
        if not self.xlib.selection_owner("_NET_SYSTEM_TRAY_S0"):
            return None
        for wid in self.search("--onlyvisible", "--name", "^panel$"):
            window = self.window(wid)
            if window and window.viewable and window.height == TRAY_HEIGHT:
                return window
        return None

    # -- tools ------------------------------------------------------------

    def run(self, *args, timeout=10, check=True):
        result = subprocess.run(list(args), env=self.base_env(), stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise E2EFailure(f"{' '.join(args)} failed ({result.returncode}): "
                             + result.stderr.decode(errors="replace").strip())
        return result

    def xdotool(self, *args, timeout=10):
        return self.run("xdotool", *args, timeout=timeout)

    def xprop_root(self, *atoms):
        return self.run("xprop", "-root", *atoms, check=False).stdout.decode(errors="replace")

    def xprop(self, wid, *atoms):
        return self.run("xprop", "-id", str(wid), *atoms, check=False).stdout.decode(errors="replace")

    def search(self, *criteria):
        """Window ids that xdotool finds; none is not an error."""
        result = self.run("xdotool", "search", *criteria, check=False)
        return [int(line) for line in result.stdout.decode().split()]

    def search_sync(self, name, timeout=8.0):
        """Waits for a viewable window whose name matches, the way a user
        waits for it to appear."""
        # xdotool fails with BadWindow when a window it looks at goes away
        # during the search (a menu or tooltip closing): it is asked again.
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                raise E2EFailure(f"no viewable window named {name!r} within {timeout:.1f} s")
            try:
                result = self.run("xdotool", "search", "--sync", "--onlyvisible", "--name", name, timeout=left,
                                  check=False)
            except subprocess.TimeoutExpired:
                continue
            found = [int(line) for line in result.stdout.decode().split()]
            if found:
                return found
            time.sleep(0.05)

    def window(self, wid):
        """The window's state, or None when it is gone."""
        result = self.run("xwininfo", "-id", str(wid), check=False)
        if result.returncode != 0:
            return None
        text = result.stdout.decode(errors="replace")

        def number(label):
            match = re.search(rf"^\s*{label}:\s*(-?\d+)", text, re.M)
            if not match:
                raise E2EFailure(f"xwininfo gave no {label} for {wid:#x}")
            return int(match.group(1))
        name_match = re.search(r'Window id: 0x[0-9a-f]+ "(.*)"', text)
        return Window(wid, number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                      number("Height"), "IsViewable" in text, name_match.group(1) if name_match else "")

    def hidden(self, wid):
        """The window is gone or not viewable."""
        window = self.window(wid)
        return window is None or not window.viewable

    def window_name(self, wid):
        return self.xdotool("getwindowname", str(wid)).stdout.decode().rstrip("\n")

    def net_wm_state(self, wid):
        text = self.xprop(wid, "_NET_WM_STATE")
        return set(re.findall(r"_NET_WM_STATE_[A-Z_]+", text))

    def frame_extents(self, wid):
        """left, right, top, bottom of the window manager's frame (zeros when
        the window manager set none)."""
        match = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", self.xprop(wid, "_NET_FRAME_EXTENTS"))
        return tuple(int(v) for v in match.groups()) if match else (0, 0, 0, 0)

    def tray_icons(self):
        """Windows embedded in trayer's panel, in root coordinates."""
        text = self.run("xwininfo", "-id", str(self.tray_panel.id), "-tree").stdout.decode(errors="replace")
        icons = []
        for match in re.finditer(r"^\s*(0x[0-9a-f]+) (\".*?\"|\(has no name\)):.*?\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+"
                                 r"\s+\+(-?\d+)\+(-?\d+)\s*$", text, re.M):
            wid, name, width, height, x, y = match.groups()
            if name.strip('"').lower() == "lexomat":
                icons.append(Window(int(wid, 16), int(x), int(y), int(width), int(height), True, name.strip('"')))
        return icons

    def click_at(self, wid, x, y, button=1):
        """A click at the window's own coordinates."""
        self.xdotool("mousemove", "--window", str(wid), str(x), str(y), "click", str(button))

    def click_screen(self, x, y, button=1):
        self.xdotool("mousemove", str(x), str(y), "click", str(button))

    def park_pointer(self):
        """Moves the pointer to the free top-left corner of the screen, where
        it hovers over nothing of the program's."""
        self.xdotool("mousemove", "2", str(SCREEN_HEIGHT // 2))

    def key(self, *keys):
        self.xdotool("key", "--delay", "40", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", "40", text, timeout=30)

    def shot(self):
        result = self.run("import", "-window", "root", "-depth", "8", "ppm:-", timeout=20)
        data = result.stdout
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if not match or match.group(3) != b"255":
            raise E2EFailure("unexpected screenshot format from import")
        width, height = int(match.group(1)), int(match.group(2))
        return Shot(width, height, data[match.end():match.end() + width * height * 3])

    def save_screenshot(self, path):
        self.run("import", "-window", "root", path, timeout=20)
        return path
