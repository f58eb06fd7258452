#!/usr/bin/env python3
"""End-to-end scenarios in a Wayland session: the built lexomat binary started
under weston (nested in a private Xvfb display) with no platform chosen, the
way a Wayland desktop starts it.

    run_wayland.py --binary build/app/lexomat --scenario xwayland|wayland [--artifacts DIR]

xwayland: weston runs XWayland, so Lexomat runs on X11: its windows are X11
windows on weston's X display, and it asks for the flash window's corner.
wayland: no X server at all: Lexomat runs on Wayland, plays, its frame is
dragged through the compositor, and the flash window shows and closes.
"""

import argparse
import os
import re
import shutil
import signal
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from program_files import dword, write_settings  # noqa: E402
from run_e2e import (CLOSE_BUTTON, DEFAULT_BACKGROUND, MAIN_WIDTH, MAIN_HEIGHT, START_BUTTON, WORDS,  # noqa: E402
                     Lexomat, Scenario, board_box, check)
from wayland_session import WestonSession  # noqa: E402
from xsession import SCREEN_WIDTH, E2EFailure, Window, wait_until  # noqa: E402

FRAME_BLUE = (0, 0, 0xFF)   # the main window's own colour around its controls
FLASH_SIZE = (204, 64)      # at least: it grows in height to show three meanings whole
FLASH_TALLEST = 80


def flash_sized(width, height):
    return width == FLASH_SIZE[0] and FLASH_SIZE[1] <= height <= FLASH_TALLEST


class SessionLexomat(Lexomat):
    """Lexomat started in the Wayland session, with no platform chosen."""

    def __init__(self, session, x, *args):
        super().__init__(x, *args)
        self.session = session

    def env(self):
        return self.session.program_env(self.home)


def program(s, session, x):
    log_path = os.path.join(s.dir, f"lexomat-{len(s.programs) + 1}.log")
    started = SessionLexomat(session, x, s.binary, s.home, s.workdir, log_path)
    s.programs.append(started)
    return started


def requested_place(x, wid):
    """Where the program asked the window manager to put the window
    (WM_NORMAL_HINTS), or None."""
    match = re.search(r"(?:user|program) specified location: (-?\d+), (-?\d+)", x.xprop(wid, "WM_NORMAL_HINTS"))
    return (int(match.group(1)), int(match.group(2))) if match else None


def frame_of(x, wid):
    """The window the window manager put the client in, or None."""
    text = x.run("xwininfo", "-id", str(wid), "-tree", check=False).stdout.decode(errors="replace")
    match = re.search(r"Parent window id: (0x[0-9a-f]+)( \(the root window\))?", text)
    if not match or match.group(2):
        return None
    return x.window(int(match.group(1), 16))


def flash_box_on_screen(shot):
    """(left, top, right, bottom) of the flash window's client area on the
    screen, or None: the background runs as wide as the flash window. The
    main window's board, of the same colour, is wider, and is cut by the
    flash window's frame where the two overlap."""
    box = shot.box_of(DEFAULT_BACKGROUND, 0, 0, shot.width, shot.height,
                      min_run=FLASH_SIZE[0] - 2, max_run=FLASH_SIZE[0] + 2)
    if (not box or box[2] - box[0] > FLASH_SIZE[0] + 4
            or box[3] - box[1] < FLASH_SIZE[1] // 2):
        return None
    return box


# -- xwayland -------------------------------------------------------------------

def scenario_xwayland(s, session):
    """With XWayland at hand, Lexomat's windows are X11 windows; the flash
    window asks for the screen's top-right corner, shows words and closes,
    and the main window is in view again."""
    x = session.xwayland
    s.write_dictionary(WORDS)
    write_settings(s.settings_path(), {"DEFAULT_MODE": dword(2)})
    lexomat = program(s, session, x).start()   # waits for its X11 window
    main = lexomat.main
    check((main.width, main.height) == (MAIN_WIDTH, MAIN_HEIGHT), f"the main window is {main}")

    # A click on "Запуск" on the screen, through weston as a user's.
    session.click_screen(main.x + START_BUTTON[0], main.y + START_BUTTON[1])
    flash_id = x.search_sync("^25-й кадр$")[0]
    check(flash_id in lexomat.own_windows(), "the flash window is not an X11 window of the program")
    flash = wait_until("the flash window's size", lambda: (w := x.window(flash_id)) and w.viewable
                       and flash_sized(w.width, w.height) and w, timeout=5)
    # weston has no notification area and its X window manager does not
    # minimise X11 windows, so the main window may stay in view here.
    # weston's X window manager places X11 windows itself, so the place asked
    # for is what the program controls: flush in the top-right corner.
    # The program places the whole frame: once Qt knows the frame (the
    # window weston's window manager put the client in, shadow included),
    # the client area asked for puts that frame flush in the corner; before
    # that, the client area itself.
    frame = frame_of(x, flash_id)
    check(frame is not None, "the flash window has no frame around it")
    inset = (flash.x - frame.x, flash.y - frame.y)

    def corner_asked():
        place = requested_place(x, flash_id)
        if not place:
            return None
        framed = (place[0] - inset[0] + frame.width, place[1] - inset[1]) == (SCREEN_WIDTH, 0)
        unframed = (place[0] + FLASH_SIZE[0], place[1]) == (SCREEN_WIDTH, 0)
        return (framed or unframed) and place
    place = wait_until(f"the flash window to ask for the top-right corner for its frame {frame}, "
                       f"asked for {requested_place(x, flash_id)}", corner_asked, timeout=5)
    print(f"  the flash window asked for {place} in its frame {frame}; weston put it at "
          f"{(flash.x, flash.y)}", flush=True)

    def flash_ink():
        return session.screen.shot().count_other(DEFAULT_BACKGROUND, flash.x, flash.y,
                                                 flash.right, flash.bottom) > 30
    wait_until("words in the flash window", flash_ink)

    # weston's shell may show an X11 window elsewhere than the X position it
    # reports: the close button is found where the screen shows the window.
    box = wait_until("the flash window on the screen", lambda: flash_box_on_screen(session.screen.shot()),
                     timeout=5)
    # The close button of weston's frame, at the right end of its title bar.
    session.click_screen(box[2] - 14, box[1] - 14)
    wait_until("the flash window to close", lambda: x.hidden(flash_id))
    wait_until("the main window to come back", lexomat.main_viewable)
    main = lexomat.refresh_main()
    session.click_screen(main.x + CLOSE_BUTTON[0], main.y + CLOSE_BUTTON[1])
    code = lexomat.wait_exit()
    check(code == 0, f"closing with the X button ended the program with code {code}, expected 0")


# -- wayland --------------------------------------------------------------------

def main_on_screen(session):
    """The main window as weston shows it, found by its blue: a Wayland
    client's windows are not listed anywhere a test can read."""
    shot = session.screen.shot()
    box = shot.box_of(FRAME_BLUE, 0, 0, shot.width, shot.height, min_run=200)
    if not box:
        return None
    # The blue runs inside the window's one-pixel outline.
    left, top = box[0] - 1, box[1] - 1
    return Window(0, left, top, MAIN_WIDTH, MAIN_HEIGHT, True, "Lexomat")


def wait_main_on_screen(session, lexomat):
    def find():
        check(lexomat.process.poll() is None, f"lexomat ended with code {lexomat.process.returncode}")
        return main_on_screen(session)
    wait_until("the main window on the screen", find, timeout=15)
    # Shown is not yet ready for the pointer: let the first frames settle.
    time.sleep(1.0)
    return main_on_screen(session)


def board_ink_at(session, main):
    """How many pixels of the board are not of the board colour (the words)."""
    shot = session.screen.shot()
    return shot.count_other(DEFAULT_BACKGROUND, *board_box(shot, main, DEFAULT_BACKGROUND))


def scenario_wayland(s, session):
    """Without an X server Lexomat runs on Wayland: "Запуск" fills the board
    and "Стоп" empties it, a drag on the frame moves the window, and in the
    flash mode the flash window shows words and closes, and the main window
    comes back."""
    s.write_dictionary(WORDS)
    lexomat = program(s, session, None)
    lexomat.process = lexomat.spawn()
    main = wait_main_on_screen(session, lexomat)
    session.park_pointer()
    check(board_ink_at(session, main) == 0, "the board is not plain before the game starts")

    session.click_screen(main.x + START_BUTTON[0], main.y + START_BUTTON[1])
    session.park_pointer()
    wait_until("words on the board after 'Запуск'", lambda: board_ink_at(session, main) > 300, timeout=5)
    session.click_screen(main.x + START_BUTTON[0], main.y + START_BUTTON[1])
    session.park_pointer()
    wait_until("a plain board after 'Стоп'", lambda: board_ink_at(session, main) == 0, timeout=5)

    # The frame's left border, clear of every control.
    grab = (main.x + 8, main.y + 150)
    shift = (-60, 40) if main.x > 100 else (60, 40)
    session.drag_screen(grab, (grab[0] + shift[0], grab[1] + shift[1]))
    session.park_pointer()

    def moved():
        now = main_on_screen(session)
        return now and (now.x - main.x, now.y - main.y) == shift and now
    main = wait_until(f"the window to move by {shift} with the drag", moved, timeout=5)

    session.click_screen(main.x + CLOSE_BUTTON[0], main.y + CLOSE_BUTTON[1])
    code = lexomat.wait_exit()
    check(code == 0, f"closing with the X button ended the program with code {code}, expected 0")

    # The flash mode.
    write_settings(s.settings_path(), {"DEFAULT_MODE": dword(2)})
    lexomat = program(s, session, None)
    lexomat.process = lexomat.spawn()
    main = wait_main_on_screen(session, lexomat)
    session.click_screen(main.x + START_BUTTON[0], main.y + START_BUTTON[1])
    session.park_pointer()

    def flash_on_screen():
        shot = session.screen.shot()
        if shot.box_of(FRAME_BLUE, 0, 0, shot.width, shot.height, min_run=200):
            return None  # the main window still shows
        box = shot.box_of(DEFAULT_BACKGROUND, 0, 0, shot.width, shot.height, min_run=150)
        if (not box or abs((box[2] - box[0]) - FLASH_SIZE[0]) > 4
                or not FLASH_SIZE[1] - 4 <= box[3] - box[1] <= FLASH_TALLEST + 4):
            return None
        inside = shot.count_other(DEFAULT_BACKGROUND, *box)
        return inside > 30 and box
    flash = wait_until("the flash window with words, the main window hidden", flash_on_screen, timeout=8)

    # The close button of the frame Qt draws itself on Wayland, at the
    # right end of its title bar.
    session.click_screen(flash[2] - 13, flash[1] - 15)
    session.park_pointer()
    main = wait_until("the main window to come back after the flash window closed",
                      lambda: main_on_screen(session), timeout=8)
    check(lexomat.process.poll() is None, "lexomat ended when the flash window closed")
    session.click_screen(main.x + CLOSE_BUTTON[0], main.y + CLOSE_BUTTON[1])
    code = lexomat.wait_exit()
    check(code == 0, f"closing with the X button ended the program with code {code}, expected 0")


SCENARIOS = {
    "xwayland": (scenario_xwayland, True),
    "wayland": (scenario_wayland, False),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", required=True, help="the lexomat executable")
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    parser.add_argument("--artifacts", default=None, help="where failure screenshots and logs go")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()

    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    binary = os.path.abspath(args.binary)
    artifacts = os.path.abspath(args.artifacts or os.path.join(tempfile.gettempdir(), "lexomat-e2e-artifacts"))
    base_dir = tempfile.mkdtemp(prefix="lexomat-wayland-")
    name = args.scenario
    scenario_function, xwayland = SCENARIOS[name]
    session = WestonSession(base_dir, xwayland)
    failed = False
    began = time.monotonic()
    scenario = None
    try:
        session.start()
        scenario = Scenario(session.screen, binary, base_dir, name)
        scenario_function(scenario, session)
    except Exception as error:
        failed = True
        print(f"FAIL {name}: {error}", flush=True)
        if not isinstance(error, AssertionError):
            traceback.print_exc()
        os.makedirs(artifacts, exist_ok=True)
        try:
            shot = session.screen.save_screenshot(os.path.join(artifacts, f"{name}-failure.png"))
            print(f"  screenshot: {shot}", flush=True)
        except Exception as shot_error:
            print(f"  no screenshot: {shot_error}", flush=True)
        logs = (scenario.logs() if scenario else []) + [os.path.join(base_dir, "weston.log")]
        for log in logs:
            if os.path.exists(log):
                copy = os.path.join(artifacts, f"{name}-{os.path.basename(log)}")
                shutil.copyfile(log, copy)
                print(f"  log: {copy}", flush=True)
    else:
        print(f"PASS {name} ({time.monotonic() - began:.1f} s)", flush=True)
    finally:
        if scenario:
            scenario.cleanup()
        session.stop()
        if not args.keep and not failed:
            shutil.rmtree(base_dir, ignore_errors=True)
        elif failed:
            print(f"work folder kept in {base_dir}", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
