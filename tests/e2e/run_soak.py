#!/usr/bin/env python3
"""A restless learner: seeded random input to the real program on a private X
display (Xvfb, openbox, trayer) for a given time, then an orderly end.

    run_soak.py --binary build/app/lexomat --wrd build/tools/wrd/lexomat-wrd
                [--seconds 15] [--seed N] [--artifacts DIR]

Clicks, double and right clicks anywhere in the program's windows (the main
window, its tabs, every dialog and menu that opens), drags on the main
window's frame, the window manager's close request on its dialogs, and keys
(Escape, Enter, Tab, Insert, Delete, F4, F5, 1 to 6, Ctrl+F, letters). The
help button and the about page's web links, which open a browser, are never
clicked, nor is the tray icon's menu opened (it holds the web page too);
the main window's own close button is kept for the end. Windows the window
manager minimised (a dialog's minimise button takes the main window with
it) are brought back as a task bar would, when nothing else shows. That button is a
tab stop, so Tab and then Space may press it: a program that ends with
status 0 right after such a key was closed by the learner, not broken; its
dictionaries are checked and it is started again.

At the end the program must still run; every dialog is closed by Escape (the
flash window by its close button), the main window by its own close button,
and the program must end with status 0. Every dictionary of the folder must
then be whole and readable, and none of those it started with may be gone.

Every action is printed with the time it was done, so a failing seed can be
read back; a seed that found a fault is kept as a regression case (the CMake
list beside this file).
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from run_e2e import CLOSE_BUTTON, MAIN_HEIGHT, MAIN_WIDTH, Scenario, check  # noqa: E402
from xsession import SCREEN_HEIGHT, SCREEN_WIDTH, E2EFailure, XSession  # noqa: E402

# Places of the main window that open a browser: the help button "?"
# (Button5, 14 x 13 at (365, 4)) and, while the about page shows, its labels
# with the web address (Bevel2 at (85, 16), 199 x 217 of the page, whose
# origin is (21, 42) of the window).
HELP_BUTTON = (362, 1, 382, 20)
# The main window's own close button ends the run; it is pressed at the end.
OWN_CLOSE_BUTTON = (393, 1, 412, 20)
ABOUT_LINKS = (21 + 85, 42 + 16, 21 + 85 + 199, 42 + 16 + 217)
# A point of the page control that shows the page's own colour: the about
# page is the frame's blue there, the game page the board, the dictionaries
# page the grey below the list.
PAGE_PROBE = (21 + 8, 42 + 235)
ABOUT_BLUE = (0, 0, 0xFF)
# Where a press drags the borderless main window: its blue frame.
FRAME_SPOTS = [(8, 150), (200, 8), (405, 200), (250, 376)]

KEYS = (["Escape", "Return", "Tab", "shift+Tab", "Insert", "Delete", "F4", "F5", "ctrl+f", "space",
         "Up", "Down", "Left", "Right", "BackSpace"]
        + [str(digit) for digit in range(1, 7)] + list("asdkqzr"))

# A few dictionaries of the sizes that lead into different flows: a
# playable one, one word short of full, one too small to play.
DICTIONARIES = {
    0: [f"word{i},слово{i},значение{i}," for i in range(12)],
    1: [f"full{i},полный{i}," for i in range(69)],
    2: ["one,один,", "two,два,", "three,три,"],
}


class Soak:
    def __init__(self, scenario, seed, seconds, wrd, before):
        self.s = scenario
        self.before = before
        self.pressed_at = {}  # key -> when it was last sent
        self.x = scenario.x
        self.random = random.Random(seed)
        self.seconds = seconds
        self.wrd = wrd
        self.program = None
        self.began = 0.0
        self.actions = 0

    def say(self, what):
        print(f"  {time.monotonic() - self.began:7.2f} s  {what}", flush=True)

    def alive(self):
        code = self.program.process.poll()
        check(code is None, f"lexomat ended by itself with status {code} (signal {-code})"
              if code is not None and code < 0 else f"lexomat ended by itself with status {code}")

    def closed_from_keyboard(self):
        """Space (or Enter) on the focused close button ends the program as
        its click does: check what it left and start it again."""
        if self.program.process.poll() != 0:
            return
        recent = [key for key in ("space", "Return")
                  if time.monotonic() - self.pressed_at.get(key, -10.0) < 1.5]
        if not recent:
            return
        self.say(f"lexomat closed by {recent[0]} on its focused close button")
        self.check_dictionaries(self.before)
        self.program = self.s.program().start()
        self.pressed_at.clear()

    def windows(self):
        """The program's viewable windows, the tray icon left out."""
        tray = {icon.id for icon in self.x.tray_icons()}
        found = []
        for wid in self.program.own_windows():
            if wid in tray:
                continue
            window = self.x.window(wid)
            if window and window.viewable and window.width > 4 and window.height > 4:
                found.append(window)
        return found

    def minimised(self):
        """The program's windows the window manager has minimised: a click on
        a dialog's minimise button takes the main window with it, and only a
        task bar brings them back; this session has none, so the test is
        the task bar."""
        return [wid for wid in self.x.search("--pid", str(self.program.process.pid))
                if "_NET_WM_STATE_HIDDEN" in self.x.net_wm_state(wid)]

    def restore_minimised(self):
        """The task bar's click: True when there was something to restore."""
        hidden = self.minimised()
        if not hidden:
            return False
        self.say(f"the task bar brings back {len(hidden)} minimised window(s)")
        for wid in hidden:
            self.x.run("xdotool", "windowactivate", str(wid), check=False)
        return True

    def is_main(self, window):
        return window.id == self.program.main.id

    def about_page_showing(self, main):
        shot = self.x.shot()
        x, y = main.x + PAGE_PROBE[0], main.y + PAGE_PROBE[1]
        if not (0 <= x < shot.width and 0 <= y < shot.height):
            return True  # cannot tell: keep away from the links
        offset = (y * shot.width + x) * 3
        return tuple(shot.data[offset:offset + 3]) == ABOUT_BLUE

    def allowed(self, window, x, y):
        if not self.is_main(window):
            return True
        inside = lambda box: box[0] <= x < box[2] and box[1] <= y < box[3]  # noqa: E731
        if inside(HELP_BUTTON) or inside(OWN_CLOSE_BUTTON):
            return False
        return not (inside(ABOUT_LINKS) and self.about_page_showing(window))

    def point_in(self, window):
        for _ in range(20):
            x, y = self.random.randrange(window.width), self.random.randrange(window.height)
            if self.allowed(window, x, y):
                return x, y
        return None

    def step(self):
        windows = self.windows()
        if not windows:
            # Everything in the tray: the icon brings the main window back.
            icons = self.x.tray_icons()
            if icons and self.random.random() < 0.5:
                self.say("left click on the tray icon")
                self.x.click_screen(*icons[0].centre())
            elif icons or not self.restore_minimised():
                time.sleep(0.1)
            return
        window = self.random.choice(windows)
        kind = self.random.choices(["click", "double", "right", "drag", "key", "close"],
                                   weights=[40, 6, 8, 4, 38, 4])[0]
        if kind == "key":
            key = self.random.choice(KEYS)
            self.say(f"key {key}")
            self.pressed_at[key] = time.monotonic()
            self.x.xdotool("key", key)
        elif kind == "close":
            if self.is_main(window):
                return
            self.say(f"close request to {window.name!r}")
            self.x.xlib.request_close(window.id)
        elif kind == "drag":
            if not self.is_main(window):
                return
            fx, fy = self.random.choice(FRAME_SPOTS)
            dx, dy = self.random.randint(-120, 120), self.random.randint(-80, 80)
            self.say(f"drag the main window's frame at {fx},{fy} by {dx},{dy}")
            self.x.xdotool("mousemove", "--window", str(window.id), str(fx), str(fy), "mousedown", "1",
                           "mousemove_relative", "--", str(dx // 2), str(dy // 2),
                           "mousemove_relative", "--", str(dx - dx // 2), str(dy - dy // 2), "mouseup", "1")
        else:
            point = self.point_in(window)
            if point is None:
                return
            button = 3 if kind == "right" else 1
            repeat = 2 if kind == "double" else 1
            self.say(f"{kind} click at {point[0]},{point[1]} of {window.name!r} ({window.width}x{window.height})")
            self.x.xdotool("mousemove", "--window", str(window.id), str(point[0]), str(point[1]),
                           "click", "--repeat", str(repeat), "--delay", "60", str(button))
        self.actions += 1

    def run(self):
        self.began = time.monotonic()
        deadline = self.began + self.seconds
        while time.monotonic() < deadline:
            self.closed_from_keyboard()
            self.alive()
            try:
                self.step()
            except E2EFailure:
                # A window that went away between the look and the action.
                self.alive()
            time.sleep(self.random.uniform(0.02, 0.25))
        self.alive()
        self.say(f"{self.actions} actions; now the orderly end")

    def end(self):
        """Every dialog closed by Escape (the flash window by its close
        button), the main window brought back from the tray or from where a
        drag left it, then closed by its own close button."""
        deadline = time.monotonic() + 60
        while self.program.process.poll() is None:
            check(time.monotonic() < deadline, "lexomat could not be brought to its end: "
                  + str([w.name for w in self.windows()]))
            windows = self.windows()
            others = [w for w in windows if not self.is_main(w)]
            if others:
                window = others[-1]
                if window.name == "25-й кадр":
                    self.say("close button of the flash window")
                    self.x.xlib.request_close(window.id)
                else:
                    self.say(f"Escape to {window.name!r}")
                    self.x.run("xdotool", "windowactivate", str(window.id), check=False)
                    self.x.xdotool("key", "Escape")
                time.sleep(0.3)
                continue
            if not windows:
                icons = self.x.tray_icons()
                if icons:
                    self.say("left click on the tray icon to bring the window back")
                    self.x.click_screen(*icons[0].centre())
                else:
                    self.restore_minimised()
                time.sleep(0.3)
                continue
            main = self.program.refresh_main()
            if not self.close_button_on_screen(main):
                self.drag_back(main)
                continue
            self.say("the main window's close button")
            self.program.click(CLOSE_BUTTON)
            try:
                self.program.process.wait(timeout=3)
            except subprocess.TimeoutExpired:
                pass
        code = self.program.process.returncode
        check(code == 0, f"lexomat ended with status {code} after its close button")

    @staticmethod
    def close_button_on_screen(main):
        x, y = main.x + CLOSE_BUTTON[0], main.y + CLOSE_BUTTON[1]
        return 0 <= x < SCREEN_WIDTH and 0 <= y < SCREEN_HEIGHT

    def drag_back(self, main):
        """Drags the main window by a piece of its frame that is on the
        screen until it stands in the middle, as a learner would."""
        target_x, target_y = (SCREEN_WIDTH - main.width) // 2, (SCREEN_HEIGHT - main.height) // 2
        for fx, fy in FRAME_SPOTS:
            sx, sy = main.x + fx, main.y + fy
            if 0 <= sx < SCREEN_WIDTH and 0 <= sy < SCREEN_HEIGHT:
                self.say(f"drag the main window back by its frame at {fx},{fy}")
                self.x.xdotool("mousemove", str(sx), str(sy), "mousedown", "1",
                               "mousemove", str(sx + target_x - main.x), str(sy + target_y - main.y),
                               "mouseup", "1")
                time.sleep(0.3)
                return
        raise E2EFailure(f"no piece of the main window's frame is on the screen: {main}")

    def check_dictionaries(self, before):
        folder = os.path.join(self.s.workdir, "dict")
        now = sorted(name for name in os.listdir(folder) if name.endswith(".wrd"))
        lost = [name for name in before if name not in now]
        check(not lost, f"dictionaries lost: {lost}")
        result = subprocess.run([self.wrd, "check", folder], capture_output=True, text=True, timeout=30)
        report = result.stdout + result.stderr
        check(result.returncode == 0, f"lexomat-wrd check failed ({result.returncode}):\n{report}")
        unreadable = [line for line in report.splitlines() if "status -1" in line]
        check(not unreadable, "unreadable dictionaries after the soak:\n" + "\n".join(unreadable))
        leftovers = [name for name in os.listdir(folder) if not name.endswith(".wrd")
                     and not os.path.isdir(os.path.join(folder, name))]
        self.say(f"{len(now)} dictionaries, all readable; other files: {leftovers}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--wrd", required=True, help="the lexomat-wrd executable, to check the dictionaries")
    parser.add_argument("--seconds", type=float, default=15)
    parser.add_argument("--seed", type=int, default=None, help="default: a new one, printed")
    parser.add_argument("--artifacts", default=None)
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 31)
    print(f"seed {seed}, {args.seconds:.0f} s", flush=True)

    artifacts = os.path.abspath(args.artifacts or os.path.join(tempfile.gettempdir(), "lexomat-e2e-artifacts"))
    base_dir = tempfile.mkdtemp(prefix="lexomat-soak-")
    x = XSession(base_dir)
    scenario = None
    failed = False
    try:
        x.start()
        scenario = Scenario(x, os.path.abspath(args.binary), base_dir, f"soak-{seed}")
        for number, lines in DICTIONARIES.items():
            scenario.write_dictionary(lines, number)
        # The help file beside the program, as an installed Lexomat has it.
        with open(os.path.join(scenario.workdir, "lexomat.hlp"), "w") as help_file:
            help_file.write("<html><body>Lexomat</body></html>\n")
        before = sorted(os.listdir(os.path.join(scenario.workdir, "dict")))
        soak = Soak(scenario, seed, args.seconds, os.path.abspath(args.wrd), before)
        soak.program = scenario.program().start()
        check((soak.program.main.width, soak.program.main.height) == (MAIN_WIDTH, MAIN_HEIGHT), "no main window")
        soak.run()
        soak.end()
        soak.check_dictionaries(before)
        print(f"PASS soak seed {seed}", flush=True)
    except Exception as error:
        failed = True
        print(f"FAIL soak seed {seed}: {error}", flush=True)
        os.makedirs(artifacts, exist_ok=True)
        try:
            print(f"  screenshot: {x.save_screenshot(os.path.join(artifacts, f'soak-{seed}-failure.png'))}",
                  flush=True)
        except Exception as shot_error:
            print(f"  no screenshot: {shot_error}", flush=True)
        if scenario:
            for log in scenario.logs():
                copy = os.path.join(artifacts, f"soak-{seed}-{os.path.basename(log)}")
                shutil.copyfile(log, copy)
                print(f"  program output: {copy}", flush=True)
    finally:
        if scenario:
            scenario.cleanup()
        x.stop()
        if failed:
            print(f"work folder kept in {base_dir}", flush=True)
        else:
            shutil.rmtree(base_dir, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
