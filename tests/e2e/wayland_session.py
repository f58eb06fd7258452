"""A private Wayland session for driving Lexomat from outside: Debian's weston
compositor, nested as a window in a private Xvfb display, optionally with
XWayland. The Xvfb display is the screen: the pointer moved and clicked there
with xdotool reaches weston as a user's would, and a screenshot of it shows
what weston draws. With XWayland, the X clients' windows are seen on
weston's own X display."""

import os
import re
import shutil
import time

from xsession import SCREEN_HEIGHT, SCREEN_WIDTH, E2EFailure, XSession, _Xlib, wait_until

REQUIRED_TOOLS = ("Xvfb", "weston", "xdotool", "xwininfo", "xprop", "import")

# weston's desktop without its panel, screen lock or screen blanking, on a
# background colour that nothing of Lexomat's wears.
WESTON_INI = """[core]
idle-time=0

[shell]
panel-position=none
locking=false
background-color=0xff204060
"""
BACKGROUND = (0x20, 0x40, 0x60)


class WestonSession:
    def __init__(self, base_dir, xwayland):
        self.base_dir = base_dir
        self.with_xwayland = xwayland
        self.screen = XSession(base_dir)   # the Xvfb display weston shows on
        self.xwayland = None               # an XSession view of weston's X display
        self.socket = f"lexomat-e2e-{os.getpid()}"
        self._weston = None

    @property
    def runtime_dir(self):
        return os.path.join(self.screen.home, "runtime")

    def start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if self.with_xwayland and shutil.which("Xwayland") is None:
            missing.append("Xwayland")
        if missing:
            raise E2EFailure("missing tools for the Wayland tests: " + ", ".join(missing)
                             + " (packages weston, xwayland, xvfb, xdotool, x11-utils, imagemagick)")
        for sub in ("", ".config", ".cache", ".local/share", "runtime"):
            os.makedirs(os.path.join(self.screen.home, sub), exist_ok=True)
        os.chmod(self.runtime_dir, 0o700)
        self.screen._start_server()
        self.screen.xlib = _Xlib(self.screen.display)
        self._start_weston()

    def _start_weston(self):
        config = os.path.join(self.base_dir, "weston.ini")
        with open(config, "w") as file:
            file.write(WESTON_INI)
        log = os.path.join(self.base_dir, "weston.log")
        args = ["weston", "--backend=x11-backend.so", f"--width={SCREEN_WIDTH}", f"--height={SCREEN_HEIGHT}",
                "--use-pixman", f"--socket={self.socket}", f"--config={config}", "--idle-time=0", f"--log={log}"]
        if self.with_xwayland:
            args.append("--xwayland")
        self._weston = self.screen._spawn("weston", args)
        socket = os.path.join(self.runtime_dir, self.socket)

        def ready():
            if self._weston.poll() is not None:
                raise E2EFailure(f"weston ended at start with code {self._weston.returncode}; see {log}")
            return os.path.exists(socket)
        wait_until("weston's Wayland socket", ready, timeout=15)
        if self.with_xwayland:
            def x_display():
                try:
                    with open(log, errors="replace") as file:
                        match = re.search(r"xserver listening on display (:\d+)", file.read())
                except FileNotFoundError:
                    return None
                return match.group(1) if match else None
            view = XSession(self.base_dir)
            view.display = wait_until("weston's X display", x_display, timeout=15)
            view.xlib = _Xlib(view.display)
            self.xwayland = view
        # Its desktop is drawn once the shell client runs: the background shows.
        wait_until("weston's desktop on the screen",
                   lambda: self.screen.shot().count_other(BACKGROUND, SCREEN_WIDTH - 64, 0, SCREEN_WIDTH, 64) == 0,
                   timeout=15)
        self.sync_pointer()

    def sync_pointer(self):
        """weston follows the X pointer by its moves, not its place, and keeps
        its own within the screen: a move to the bottom-right corner and on to
        the top-left one pins it to a screen edge each way, so the two stand
        together after it, whatever moves weston missed before (one made
        while it was still starting, say)."""
        self.screen.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
        time.sleep(0.05)
        self.screen.xdotool("mousemove", "0", "0")
        time.sleep(0.05)

    def stop(self):
        self.screen.stop()

    def program_env(self, home):
        """The environment of a program started in this session: a Wayland
        session as a desktop's login sets it up, no platform chosen."""
        env = self.screen.base_env()
        env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_DATA_HOME": os.path.join(home, ".local/share"),
            # weston's socket is in the session's runtime folder.
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "WAYLAND_DISPLAY": self.socket,
            "XDG_SESSION_TYPE": "wayland",
            "LANG": "C.UTF-8",
        })
        for name in ("QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_IM_MODULE", "DISPLAY"):
            env.pop(name, None)
        if self.xwayland:
            env["DISPLAY"] = self.xwayland.display
        elif "ASAN_OPTIONS" in env:
            # On Wayland Qt starts Mesa's EGL for the window decorations, and
            # the driver it loads is unloaded before the leak check: only a
            # full unwind reaches a library still loaded (libEGL_mesa) that
            # the leak suppressions can name.
            env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        return env

    # -- the screen, as weston shows it ----------------------------------------

    def click_screen(self, x, y, button=1):
        # weston takes the pointer's way there as motion (entering the
        # window, then over the button), then the click.
        self.sync_pointer()
        self.screen.xdotool("mousemove", str(x - 3), str(y - 3))
        time.sleep(0.15)
        self.screen.xdotool("mousemove", str(x), str(y))
        time.sleep(0.15)
        self.screen.xdotool("click", str(button))

    def drag_screen(self, start, end, steps=10):
        self.sync_pointer()
        self.screen.xdotool("mousemove", str(start[0]), str(start[1]))
        time.sleep(0.1)
        self.screen.xdotool("mousedown", "1")
        time.sleep(0.1)
        for step in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * step // steps
            y = start[1] + (end[1] - start[1]) * step // steps
            self.screen.xdotool("mousemove", str(x), str(y))
            time.sleep(0.03)
        self.screen.xdotool("mouseup", "1")

    def park_pointer(self):
        self.screen.xdotool("mousemove", "2", str(SCREEN_HEIGHT - 2))
