#!/usr/bin/env python3
"""End-to-end scenarios: the built lexomat binary is started as a process on a
private X display (Xvfb, openbox, trayer), in a fresh home and working
directory, and driven with xdotool at its windows' own coordinates.

    run_e2e.py --binary build/app/lexomat [--scenario NAME ...] [--artifacts DIR]

Every scenario gets its own home and working directory. On a failure the
screen is saved as a screenshot in the artifacts folder and its path printed.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from program_files import (ROOT_VALUES, decode_dictionary, dword, encode_dictionary, integer_of,  # noqa: E402
                           read_settings, text_of, write_settings)
from xsession import SCREEN_HEIGHT, SCREEN_WIDTH, E2EFailure, XSession, wait_until  # noqa: E402
import sound  # noqa: E402

# Main window geometry: client 413 x 382; controls at their places in the frame.
MAIN_WIDTH, MAIN_HEIGHT = 413, 382
MINIMISE_BUTTON = (380 + 7, 4 + 6)    # Button1 "-", 14 x 13
CLOSE_BUTTON = (395 + 7, 4 + 6)       # Button2 "X", 14 x 13
START_BUTTON = (303 + 32, 337 + 10)   # BStart "Запуск" / "Стоп", 65 x 20
FIRST_TAB = (19 + 21, 18 + 12)        # the "Игра" tab at the top left of PageControl1
# On the dictionaries tab, whose page starts at (21, 42) of the window.
NEXT_DICTIONARY_BUTTON = (21 + 320 + 14, 42 + 202 + 10)  # BNextDict ">>", 29 x 21
ADD_WORD_BUTTON = (21 + 67 + 36, 42 + 202 + 10)          # BAdd_Word "Добавить", 73 x 21
FIRST_ROW = (21 + 60, 42 + 2 + 28)                       # ListView1's first row, below its header
# The page control (19, 18, 377 x 288) holds the game board and the dictionary list.
PAGE_CONTROL = (19, 18, 19 + 377, 18 + 288)

DEFAULT_BACKGROUND = (0xFF, 0x80, 0xFF)   # 0xFF80FF
WHITE = (0xFF, 0xFF, 0xFF)

WORDS = [
    "cat,кошка,", "dog,собака,", "house,дом,", "tree,дерево,",
    "water,вода,", "sun,солнце,", "book,книга,", "red,красный,",
]

EXIT_TIMEOUT = 10.0


def check(condition, message):
    if not condition:
        raise E2EFailure(message)


class Lexomat:
    """One run of the program with a home and working directory of its own.
    An unprivileged run is started as the account "nobody" when the suite
    runs as root, the way a learner's own account runs it."""

    def __init__(self, x, binary, home, workdir, log_path, unprivileged=False):
        self.x = x
        self.binary = binary
        self.unprivileged = unprivileged
        self.home = home
        self.workdir = workdir
        self.log_path = log_path
        self.process = None
        self.main = None
        self.scale = 1         # QT_SCALE_FACTOR, when not 1
        self.extra_env = {}

    def env(self):
        env = self.x.base_env()
        env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"),
            "QT_QPA_PLATFORM": "xcb",
            "LANG": "C.UTF-8",
        })
        env.pop("QT_QPA_PLATFORMTHEME", None)
        env.pop("QT_IM_MODULE", None)
        env.pop("QT_SCALE_FACTOR", None)
        if self.scale != 1:
            env["QT_SCALE_FACTOR"] = str(self.scale)
        env.update(self.extra_env)
        return env

    def spawn(self):
        command = [self.binary]
        if self.unprivileged and os.geteuid() == 0:
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        with open(self.log_path, "ab") as log:
            return subprocess.Popen(command, cwd=self.workdir, env=self.env(), stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=subprocess.STDOUT)

    def start(self):
        self.process = self.spawn()
        self.main = self.wait_main_window()
        return self

    def own_windows(self, pid=None):
        return self.x.search("--onlyvisible", "--pid", str(pid or self.process.pid))

    def wait_main_window(self):
        def find():
            check(self.process.poll() is None, f"lexomat ended at start with code {self.process.returncode}")
            for wid in self.own_windows():
                window = self.x.window(wid)
                if window and window.viewable and (window.width, window.height) == size:
                    return window
            return None
        size = (MAIN_WIDTH * self.scale, MAIN_HEIGHT * self.scale)
        main = wait_until(f"the main window ({size[0]} x {size[1]}) to show", find, timeout=15)
        # The window is placed and shaped when it first shows; let that settle.
        time.sleep(0.3)
        return self.x.window(main.id)

    def refresh_main(self):
        self.main = self.x.window(self.main.id)
        check(self.main is not None, "the main window is gone")
        return self.main

    def click(self, point, button=1):
        self.x.click_at(self.main.id, point[0] * self.scale, point[1] * self.scale, button)

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EFailure(f"lexomat still runs {timeout:.0f} s after it was told to end") from None

    def close_with_button(self):
        self.refresh_main()
        self.click(CLOSE_BUTTON)
        code = self.wait_exit()
        check(code == 0, f"closing with the X button ended the program with code {code}, expected 0")

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=5)

    def main_viewable(self):
        return not self.x.hidden(self.main.id)

    def tray_icon(self):
        icons = self.x.tray_icons()
        return icons[0] if icons else None


class Scenario:
    """Holds the place of one scenario: its home, working directory, programs."""

    def __init__(self, x, binary, base_dir, name):
        self.x = x
        self.binary = binary
        self.name = name
        self.dir = os.path.join(base_dir, name)
        repeat = 1
        while os.path.exists(self.dir):
            repeat += 1
            self.dir = os.path.join(base_dir, f"{name}-{repeat}")
        self.home = os.path.join(self.dir, "home")
        self.workdir = os.path.join(self.dir, "work")
        for sub in (".config/Tolv", ".cache", ".local/share", "runtime"):
            os.makedirs(os.path.join(self.home, sub), exist_ok=True)
        os.chmod(os.path.join(self.home, "runtime"), 0o700)
        os.makedirs(os.path.join(self.workdir, "dict"), exist_ok=True)
        self.programs = []
        self.artifacts = None
        self.cleanups = []  # run after the programs are ended, last first

    def dictionary_path(self, number=0):
        return os.path.join(self.workdir, "dict", f"tom_{number}.wrd")

    def write_dictionary(self, lines, number=0):
        with open(self.dictionary_path(number), "wb") as file:
            file.write(encode_dictionary(lines))

    def program(self, unprivileged=False):
        log_path = os.path.join(self.dir, f"lexomat-{len(self.programs) + 1}.log")
        binary = self.binary
        if unprivileged and os.geteuid() == 0:
            # The account must reach the program and own the scenario's
            # folders; the build tree may lie in a folder closed to it.
            binary = os.path.join(self.dir, "lexomat")
            shutil.copy2(self.binary, binary)
            os.chmod(os.path.dirname(self.dir), 0o755)
            os.chmod(self.dir, 0o755)
            for root, dirs, files in os.walk(self.dir):
                for entry in [root] + [os.path.join(root, name) for name in dirs + files]:
                    os.lchown(entry, 65534, 65534)
        program = Lexomat(self.x, binary, self.home, self.workdir, log_path, unprivileged)
        self.programs.append(program)
        return program

    def logs(self):
        return [program.log_path for program in self.programs if os.path.exists(program.log_path)]

    def settings_path(self):
        return os.path.join(self.home, ".config", "Tolv", "LX.ini")

    def settings(self):
        return read_settings(self.settings_path())

    def cleanup(self):
        for program in self.programs:
            program.kill()
        while self.cleanups:
            self.cleanups.pop()()


# -- board and screen helpers ---------------------------------------------------

def board_box(shot, main, background):
    """The game board: the area of the board colour inside the page control,
    shrunk past its rounded frame."""
    left, top, right, bottom = PAGE_CONTROL
    box = shot.box_of(background, main.x + left, main.y + top, main.x + right, main.y + bottom, min_run=100)
    check(box is not None, f"no board of colour {background} on the game tab")
    check(box[2] - box[0] > 300 and box[3] - box[1] > 200,
          f"the board of colour {background} is too small: {box}")
    inset = 16
    return box[0] + inset, box[1] + inset, box[2] - inset, box[3] - inset


def board_ink(x, program, background=DEFAULT_BACKGROUND):
    """How many pixels of the board are not of the board colour (the words)."""
    shot = x.shot()
    box = board_box(shot, program.refresh_main(), background)
    return shot.count_other(background, *box)


def list_bottom_ink(x, program):
    """Lowest pixel row with text in the dictionary list (white viewport)."""
    shot = x.shot()
    main = program.refresh_main()
    left, top, right, bottom = PAGE_CONTROL
    box = shot.box_of(WHITE, main.x + left, main.y + top, main.x + right, main.y + bottom, min_run=150)
    check(box is not None and box[3] - box[1] > 100, f"no white dictionary list on the dictionaries tab: {box}")
    lowest = shot.lowest_row_with_other(WHITE, box[0] + 3, box[1] + 3, box[2] - 3, box[3] - 3)
    return box, lowest


# -- scenarios ------------------------------------------------------------------

def scenario_single_instance(s):
    """A second start while the first runs ends at once with code 1 and shows
    nothing; the first goes on, and once it has ended a new start works."""
    s.write_dictionary(WORDS)
    first = s.program().start()
    second = s.program()

    started = time.monotonic()
    process = second.spawn()
    second.process = process
    windows = []
    while process.poll() is None and time.monotonic() - started < 5:
        windows += second.own_windows(process.pid)
        time.sleep(0.01)
    elapsed = time.monotonic() - started
    check(process.poll() is not None, "the second instance still runs after 5 s")
    check(process.returncode == 1, f"the second instance ended with code {process.returncode}, expected 1")
    check(elapsed < 1.0, f"the second instance took {elapsed:.2f} s to end, expected under a second")
    check(not windows, f"the second instance showed windows: {sorted(set(windows))}")
    with open(second.log_path, "rb") as log:
        said = log.read().decode(errors="replace").strip()
    check(not said, f"the second instance said something: {said!r}")

    check(first.process.poll() is None, "the first instance ended when the second started")
    check(first.main_viewable(), "the first instance's window is no longer shown")
    first.close_with_button()

    # The lock goes with the process that held it.
    third = s.program().start()
    third.close_with_button()


ROOT_DEFAULTS = {
    "FIRST_LANCH": "NO",
    "DEFAULT_MODE": 0,
    "DEFAULT_SPEED": 6500,
    "DEFAULT_BGCOLOR": 0xFF80FF,
    "DEFAULT_ACOLOR": 0x00FFFF,
    "DEFAULT_PCOLOR": 0,
    "TIMER": 1,
    "FONT_NAME": "MS Sans Serif",
    "FONT_SIZE": 10,
    "START_FIELDS": 67,
    "START_FIELDS1": 169,
    "SPEAK_WORDS": 0,
    "SUGGEST_MEANINGS": 1,
}


def typed(name, raw):
    try:
        return text_of(raw) if isinstance(ROOT_DEFAULTS.get(name, ""), str) else integer_of(raw)
    except ValueError as error:
        raise E2EFailure(f"{name}: {error}") from None


def scenario_settings(s):
    """The first close writes every root value with its default; values
    changed in the file are read by the next start, applied, and survive its
    close."""
    s.write_dictionary(WORDS)
    check(not os.path.exists(s.settings_path()), "the home is not fresh")
    s.program().start().close_with_button()

    root = s.settings().get("", {})
    check(set(root) == set(ROOT_VALUES),
          f"root values after the first close: missing {sorted(set(ROOT_VALUES) - set(root))}, "
          f"unexpected {sorted(set(root) - set(ROOT_VALUES))}")
    for name, expected in ROOT_DEFAULTS.items():
        got = typed(name, root[name])
        check(got == expected, f"{name} after the first close is {got!r}, expected {expected!r}")
    dict_dir = os.path.join(s.workdir, "dict") + "/"
    check(typed("DEFAULT_DICT_DIR", root["DEFAULT_DICT_DIR"]) == dict_dir,
          f"DEFAULT_DICT_DIR is {root['DEFAULT_DICT_DIR']!r}, expected {dict_dir!r}")
    check(typed("DEFAULT_DICT", root["DEFAULT_DICT"]) == s.dictionary_path(0),
          f"DEFAULT_DICT is {root['DEFAULT_DICT']!r}, expected {s.dictionary_path(0)!r}")

    # Between runs the user's file changes: a slower speed, the word column
    # further right and a light green board.
    green = (0x80, 0xFF, 0x80)
    changed = dict(root)
    changed["DEFAULT_SPEED"] = dword(9000)
    changed["START_FIELDS"] = dword(90)
    changed["DEFAULT_BGCOLOR"] = dword(green[2] << 16 | green[1] << 8 | green[0])
    changed["FIRST_LANCH"] = "sz:YES"
    write_settings(s.settings_path(), changed)

    second = s.program().start()
    s.x.park_pointer()
    board_box(s.x.shot(), second.refresh_main(), green)  # the board wears the stored colour
    second.close_with_button()

    root = s.settings().get("", {})
    expected = dict(ROOT_DEFAULTS, DEFAULT_SPEED=9000, START_FIELDS=90,
                    DEFAULT_BGCOLOR=green[2] << 16 | green[1] << 8 | green[0])
    for name, value in expected.items():
        check(name in root, f"{name} missing after the second close")
        got = typed(name, root[name])
        check(got == value, f"{name} after the second close is {got!r}, expected {value!r}")


def scenario_dictionary(s):
    """On the dictionaries tab Ins opens the word editor; a word with two
    meanings confirmed with Enter becomes the list's last row, and after
    "Выход" from the tray menu the file holds it in the stored form."""
    s.write_dictionary(WORDS)
    program = s.program().start()

    program.click(FIRST_TAB)
    s.x.key("Right")  # the tab bar has the focus: on to "Словари"
    s.x.park_pointer()
    time.sleep(0.3)
    _, before = list_bottom_ink(s.x, program)
    check(before is not None, "the dictionary list shows no rows")

    s.x.key("Insert")
    editor = s.x.search_sync("^Новое слово$")[0]
    s.x.type_text("run")
    s.x.key("Tab")
    s.x.type_text("бежать")
    s.x.key("Tab")
    s.x.type_text("управлять")
    s.x.key("Return")
    wait_until("the word editor to close", lambda: s.x.hidden(editor))

    def new_row():
        _, after = list_bottom_ink(s.x, program)
        return after is not None and after >= before + 10
    wait_until("a new row at the end of the dictionary list", new_row, timeout=5)

    # Out through the tray: minimise, right click on the icon, "Выход".
    program.click(MINIMISE_BUTTON)
    icon = wait_until("the tray icon", program.tray_icon)
    known = set(program.own_windows()) | {program.main.id, icon.id}
    s.x.click_screen(*icon.centre(), button=3)

    def menu():
        for wid in program.own_windows():
            window = s.x.window(wid)
            if wid not in known and window and window.viewable and window.height > 60:
                return window
        return None
    tray_menu = wait_until("the tray menu", menu)
    # "Выход" is the menu's last item.
    s.x.click_screen(tray_menu.x + tray_menu.width // 2, tray_menu.bottom - 10)
    code = program.wait_exit()
    check(code == 0, f"'Выход' ended the program with code {code}, expected 0")

    with open(s.dictionary_path(0), "rb") as file:
        data = file.read()
    try:
        lines = decode_dictionary(data)
    except ValueError as error:
        raise E2EFailure(f"{s.dictionary_path(0)} is not in the stored form: {error}") from None
    expected = WORDS + ["run,бежать,управлять,"]
    check(lines == expected, f"dictionary lines after the exit are {lines}, expected {expected}")


def scenario_game(s):
    """"Запуск" fills the board with words; "Стоп" empties it again."""
    s.write_dictionary(WORDS)
    program = s.program().start()
    s.x.park_pointer()
    check(board_ink(s.x, program) == 0, "the board is not plain before the game starts")

    program.click(START_BUTTON)
    s.x.park_pointer()
    wait_until("words on the board after 'Запуск'", lambda: board_ink(s.x, program) > 300, timeout=5)

    program.click(START_BUTTON)
    s.x.park_pointer()
    wait_until("a plain board after 'Стоп'", lambda: board_ink(s.x, program) == 0, timeout=5)
    program.close_with_button()


def scenario_tray(s):
    """"-" hides the window into the tray; a left click on the icon brings it
    back at the same place and removes the icon."""
    s.write_dictionary(WORDS)
    program = s.program().start()
    place = (program.main.x, program.main.y)
    check(program.tray_icon() is None, "a tray icon shows before the window was minimised")

    program.click(MINIMISE_BUTTON)
    wait_until("the main window to hide", lambda: not program.main_viewable())
    icon = wait_until("the tray icon", program.tray_icon)

    s.x.click_screen(*icon.centre())
    wait_until("the main window to come back", program.main_viewable)
    wait_until("the tray icon to go", lambda: program.tray_icon() is None)
    main = program.refresh_main()
    check((main.x, main.y) == place, f"the window came back at {(main.x, main.y)}, expected {place}")
    program.close_with_button()


def scenario_flash(s):
    """Mode 2: "Запуск" hides the main window in the tray and opens the
    always-on-top "25-й кадр" window in the screen's top-right corner; closing
    it brings the main window back, removes the icon and saves its place."""
    s.write_dictionary(WORDS)
    write_settings(s.settings_path(), {"DEFAULT_MODE": dword(2)})
    program = s.program().start()

    program.click(START_BUTTON)
    flash_id = s.x.search_sync("^25-й кадр$")[0]
    time.sleep(0.3)
    flash = s.x.window(flash_id)
    check(s.x.window_name(flash_id) == "25-й кадр", f"the flash window's caption is {s.x.window_name(flash_id)!r}")
    check(flash.width == 204 and 64 <= flash.height <= 72,
          f"the flash window's client is {flash.width} x {flash.height}, expected 204 wide, tall enough for three meanings")
    check("_NET_WM_STATE_ABOVE" in s.x.net_wm_state(flash_id),
          f"the flash window is not kept above others: {sorted(s.x.net_wm_state(flash_id))}")
    wait_until("the main window to hide", lambda: not program.main_viewable())
    wait_until("the tray icon while the flash window shows", program.tray_icon)

    def framed():
        window = s.x.window(flash_id)
        left, right, top, bottom = s.x.frame_extents(flash_id)
        return window, (window.x - left, window.y - top, window.right + right, window.bottom + bottom)

    # The whole window, caption bar and close button included, sits flush in
    # the corner: placed again once the window manager's frame is known,
    # which on a busy machine may take a moment.
    try:
        flash, frame = wait_until("the flash window's frame in the top-right corner",
                                  lambda: (placed := framed())[1][1] == 0 and placed[1][2] == SCREEN_WIDTH
                                  and placed, timeout=3)
    except E2EFailure:
        flash, frame = framed()
        raise E2EFailure(f"the flash window's frame is not in the top-right corner: client {flash}, "
                         f"frame {frame}") from None
    check(frame[0] >= 0, f"the flash window's frame {frame} reaches off the screen")

    # Words flash in it: its colour is the board colour, its labels hold text.
    def flash_ink():
        shot = s.x.shot()
        return shot.count_other(DEFAULT_BACKGROUND, flash.x, flash.y, flash.right, flash.bottom) > 30
    wait_until("words in the flash window", flash_ink)

    # The tray icon does nothing while the flash window runs.
    s.x.click_screen(*program.tray_icon().centre())
    time.sleep(0.5)
    check(not program.main_viewable(), "a click on the tray icon brought the main window back during the flash")

    # The window manager's close request, as from the close button.
    s.x.xlib.request_close(flash_id)
    wait_until("the flash window to close", lambda: s.x.hidden(flash_id))
    wait_until("the main window to come back", program.main_viewable)
    wait_until("the tray icon to go", lambda: program.tray_icon() is None)

    def saved_place():
        win = s.settings().get("WIN", {})
        if "W25TH_LEFT" in win and "W25TH_TOP" in win:
            return integer_of(win["W25TH_LEFT"]), integer_of(win["W25TH_TOP"])
        return None
    place = wait_until("W25TH_LEFT and W25TH_TOP in [WIN]", saved_place, timeout=5)
    # Depending on whether the toolkit had learnt the frame's size by then,
    # the place is that of the frame or of the client area.
    check(place in ((frame[0], frame[1]), (flash.x, flash.y)),
          f"saved flash window place {place}, expected its frame's {frame[:2]} or its client's {(flash.x, flash.y)}")

    program.close_with_button()
    check(integer_of(s.settings()[""]["DEFAULT_MODE"]) == 2, "DEFAULT_MODE was not kept at 2")


FRAME_BLUE = (0, 0, 0xFF)


def scenario_hidpi(s):
    """Under QT_SCALE_FACTOR=2 the window is twice the size in pixels, its
    shape is cut at the same places, and the board and its words are drawn
    at that size. The screenshot is kept for a look."""
    s.write_dictionary(WORDS)
    program = s.program()
    program.scale = 2
    program.start()   # waits for a window of 826 x 764
    main = program.main
    s.x.park_pointer()
    shot = s.x.shot()

    # Outside the shape the screen behind shows; inside, the window's blue.
    behind = shot.data[((main.y + 12) * shot.width + main.x - 3) * 3:][:3]
    cuts = {"top left": (6, 6), "bottom right": (2 * MAIN_WIDTH - 10, 2 * MAIN_HEIGHT - 10),
            "bottom left": (1, 2 * MAIN_HEIGHT - 2), "top right": (2 * MAIN_WIDTH - 2, 1)}
    for corner, (cx, cy) in cuts.items():
        offset = ((main.y + cy) * shot.width + main.x + cx) * 3
        check(shot.data[offset:offset + 3] == behind,
              f"the {corner} corner is not cut away: {tuple(shot.data[offset:offset + 3])} "
              f"where the screen behind is {tuple(behind)}")
    for inside in ((16, 300), (2 * MAIN_WIDTH - 16, 300), (16, 2 * MAIN_HEIGHT - 40)):
        offset = ((main.y + inside[1]) * shot.width + main.x + inside[0]) * 3
        check(tuple(shot.data[offset:offset + 3]) == FRAME_BLUE,
              f"the window's blue is missing at {inside}: {tuple(shot.data[offset:offset + 3])}")

    # The board, doubled and of one colour until the game starts.
    left, top, right, bottom = (2 * v for v in PAGE_CONTROL)
    box = shot.box_of(DEFAULT_BACKGROUND, main.x + left, main.y + top, main.x + right, main.y + bottom, min_run=200)
    check(box is not None and box[2] - box[0] > 680 and box[3] - box[1] > 460,
          f"the board is not drawn at twice its size: {box}")
    check(shot.count_other(DEFAULT_BACKGROUND, box[0] + 32, box[1] + 32, box[2] - 32, box[3] - 32) == 0,
          "the board is not plain before the game starts")

    program.click(START_BUTTON)
    s.x.park_pointer()

    def ink():
        now = s.x.shot()
        return now.count_other(DEFAULT_BACKGROUND, box[0] + 32, box[1] + 32, box[2] - 32, box[3] - 32)
    # Words drawn at twice the size: four times the ink of the plain game's.
    wait_until("words at twice their size on the board", lambda: ink() > 1200, timeout=5)
    if s.artifacts:
        os.makedirs(s.artifacts, exist_ok=True)
        print(f"  screenshot: {s.x.save_screenshot(os.path.join(s.artifacts, 'hidpi-screen.png'))}", flush=True)
    program.click(START_BUTTON)
    program.close_with_button()


def scenario_edit_and_find(s):
    """F4 on a word, Tab into its first meaning and typing replaces that
    meaning; "Найти далее" goes on from one match to the next; the list's
    menu opens under the pointer."""
    s.write_dictionary(["run,бежать,управлять,", "cat,кошка,", "dog,собака,", "cat,кот,", "sun,солнце,",
                        "sky,небо,"])
    program = s.program().start()
    program.click(FIRST_TAB)
    s.x.key("Right")  # on to "Словари"; the list takes the focus
    time.sleep(0.3)
    program.click(FIRST_ROW)
    s.x.key("F4")
    editor = s.x.search_sync("^Редактирование$")[0]
    s.x.key("Tab")
    s.x.type_text("мчаться")
    s.x.key("Return")
    wait_until("the word editor to close", lambda: s.x.hidden(editor))

    # Find "cat," twice: the second search lands on the second match, which
    # Del then deletes.
    for _ in range(2):
        s.x.key("ctrl+f")
        finder = s.x.search_sync("^Найти$")[0]
        s.x.key("ctrl+a")
        s.x.type_text("cat,")
        s.x.key("Return")
        wait_until("the find dialog to close on a match", lambda: s.x.hidden(finder))
        time.sleep(0.2)
    s.x.key("Delete")
    time.sleep(0.2)

    # The list's menu opens where it was asked for, under the pointer.
    known = set(program.own_windows())
    program.refresh_main()
    program.click(FIRST_ROW, button=3)
    pointer = (program.main.x + FIRST_ROW[0], program.main.y + FIRST_ROW[1])

    def menu():
        for wid in program.own_windows():
            window = s.x.window(wid)
            if wid not in known and window and window.viewable and window.height > 60:
                return window
        return None
    list_menu = wait_until("the list's menu", menu)
    check(abs(list_menu.x - pointer[0]) <= 30 and abs(list_menu.y - pointer[1]) <= 30,
          f"the list's menu opened at {list_menu.x},{list_menu.y}, the pointer is at {pointer}")
    s.x.key("Escape")
    wait_until("the menu to close", lambda: s.x.hidden(list_menu.id))
    program.close_with_button()

    with open(s.dictionary_path(0), "rb") as file:
        lines = decode_dictionary(file.read())
    expected = ["run,мчаться,управлять,", "cat,кошка,", "dog,собака,", "sun,солнце,", "sky,небо,"]
    check(lines == expected, f"dictionary lines are {lines}, expected {expected}")


def scenario_unreadable_dictionary(s):
    """Run by the learner's own account: ">>" onto a dictionary the learner
    may not read tells so in a box, the editing buttons refuse it, and the
    file keeps every byte, its mode and its inode."""
    s.write_dictionary(WORDS, 0)
    s.write_dictionary([f"word{i},слово{i}," for i in range(20)], 1)
    locked = s.dictionary_path(1)
    program = s.program(unprivileged=True)
    os.chmod(locked, 0)
    before = os.stat(locked)
    with open(locked, "rb") as file:
        content = file.read()
    program.start()

    program.click(FIRST_TAB)
    s.x.key("Right")  # on to "Словари"
    time.sleep(0.3)
    program.click(NEXT_DICTIONARY_BUTTON)
    box = s.x.search_sync("^Информация$")[0]
    s.x.save_screenshot(os.path.join(s.dir, "unreadable.png"))
    s.x.key("Return")
    wait_until("the box to close", lambda: s.x.hidden(box))

    # "Добавить" is refused with a box of its own.
    program.click(ADD_WORD_BUTTON)
    box = s.x.search_sync("^Информация$")[0]
    check(not s.x.search("--onlyvisible", "--name", "^Новое слово$"), "the word editor opened on an unreadable dictionary")
    s.x.key("Return")
    wait_until("the box to close", lambda: s.x.hidden(box))
    program.close_with_button()

    after = os.stat(locked)
    with open(locked, "rb") as file:
        check(file.read() == content, "the unreadable dictionary's bytes changed")
    check((after.st_ino, after.st_mode, after.st_size) == (before.st_ino, before.st_mode, before.st_size),
          "the unreadable dictionary's inode, mode or size changed")


# Silence from a null sink measures 0; one spoken word in a few seconds gives
# a few hundredths.
SOUND_RMS = 0.002
SILENCE_RMS = 0.0002
RECORD_SECONDS = 8


def scenario_pronunciation(s):
    """With "Произношение" on, "Запуск" makes the words heard: a private
    PulseAudio server's null sink records sound. With it off, it records
    silence and no speech service is started."""
    s.write_dictionary(WORDS)
    runtime = os.path.join(s.home, "runtime")
    pulse = sound.PrivatePulse(s.home, runtime, os.path.join(s.dir, "pulseaudio.log"))
    s.cleanups.append(pulse.stop)
    pulse.start()
    speechd_pid = os.path.join(runtime, "speech-dispatcher", "pid", "speech-dispatcher.pid")

    def play(speak_words):
        # The fastest speed: a new word every two seconds.
        write_settings(s.settings_path(), {"SPEAK_WORDS": dword(speak_words), "DEFAULT_SPEED": dword(11000)})
        program = s.program()
        if "ASAN_OPTIONS" in os.environ:
            # libspeechd splits speech-dispatcher's voice list (thousands of
            # espeak-ng variants) line by line with strstr; the sanitizer's
            # check of each call measures the whole rest of the list, which
            # turns a moment into minutes.
            program.extra_env["ASAN_OPTIONS"] = os.environ["ASAN_OPTIONS"] + ":intercept_strstr=0"
        program.start()
        recording = os.path.join(s.dir, f"speak-{speak_words}.wav")
        pulse.record(recording)
        program.click(START_BUTTON)
        s.x.park_pointer()
        wait_until("words on the board after 'Запуск'", lambda: board_ink(s.x, program) > 300, timeout=5)
        time.sleep(RECORD_SECONDS)
        pulse.stop_recording()
        check(not s.x.search("--onlyvisible", "--name", "^Информация$"), "a message box came up")
        program.close_with_button()
        return recording

    loud = play(1)
    level = sound.rms(loud)
    print(f"  pronunciation on: RMS {level:.5f} over {sound.length(loud):.1f} s", flush=True)
    check(sound.length(loud) >= RECORD_SECONDS / 2, "the recording is much shorter than the time recorded")
    check(os.path.exists(speechd_pid), "no speech-dispatcher was started in the scenario's runtime folder")
    check(level > SOUND_RMS, f"pronunciation on, but the sink stayed silent (RMS {level:.5f})")

    # The speech service of the first run is ended before the second one.
    pulse.stop_recording()
    for pid in sound.processes_in(runtime):
        if pid != pulse.process.pid:
            os.kill(pid, signal.SIGTERM)
    wait_until("the speech service to end",
               lambda: all(pid == pulse.process.pid for pid in sound.processes_in(runtime)), timeout=10)
    if os.path.exists(speechd_pid):
        os.remove(speechd_pid)

    quiet = play(0)
    level = sound.rms(quiet)
    print(f"  pronunciation off: RMS {level:.5f}", flush=True)
    check(level < SILENCE_RMS, f"pronunciation off, but the sink recorded sound (RMS {level:.5f})")
    left = [name for name in sound.process_names(sound.processes_in(runtime))
            if name != "pulseaudio"]
    check(not left, f"with pronunciation off these still ran: {left}")
    check(not os.path.exists(speechd_pid), "pronunciation off, but a speech service was started")


SCENARIOS = {
    "single_instance": scenario_single_instance,
    "settings": scenario_settings,
    "dictionary": scenario_dictionary,
    "game": scenario_game,
    "tray": scenario_tray,
    "flash": scenario_flash,
    "hidpi": scenario_hidpi,
    "unreadable_dictionary": scenario_unreadable_dictionary,
    "edit_and_find": scenario_edit_and_find,
    "pronunciation": scenario_pronunciation,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", required=True, help="the lexomat executable")
    parser.add_argument("--scenario", action="append", choices=sorted(SCENARIOS),
                        help="scenario to run (repeatable; all when omitted)")
    parser.add_argument("--artifacts", default=None, help="where failure screenshots and logs go")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folders")
    args = parser.parse_args()

    # A test runner's timeout ends the run through the clean-up below, so the
    # display and its clients do not outlive it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    binary = os.path.abspath(args.binary)
    names = args.scenario or list(SCENARIOS)
    artifacts = os.path.abspath(args.artifacts or os.path.join(tempfile.gettempdir(), "lexomat-e2e-artifacts"))
    base_dir = tempfile.mkdtemp(prefix="lexomat-e2e-")
    x = XSession(base_dir)
    failures = []
    passed = 0
    began = time.monotonic()
    try:
        x.start()
        print(f"display {x.display}, work in {base_dir}", flush=True)
        for name in names:
            scenario = Scenario(x, binary, base_dir, name)
            scenario.artifacts = artifacts
            if os.path.isdir(artifacts):  # what an earlier run left of this scenario
                for old in os.listdir(artifacts):
                    if old.startswith(name + "-"):
                        os.remove(os.path.join(artifacts, old))
            started = time.monotonic()
            try:
                SCENARIOS[name](scenario)
            except Exception as error:  # a failed scenario must not stop the others
                failures.append(name)
                os.makedirs(artifacts, exist_ok=True)
                print(f"FAIL {name} ({time.monotonic() - started:.1f} s): {error}", flush=True)
                if not isinstance(error, AssertionError):
                    traceback.print_exc()
                try:
                    shot = x.save_screenshot(os.path.join(artifacts, f"{name}-failure.png"))
                    print(f"  screenshot: {shot}", flush=True)
                except Exception as shot_error:
                    print(f"  no screenshot: {shot_error}", flush=True)
                for log in scenario.logs():
                    log_copy = os.path.join(artifacts, f"{name}-{os.path.basename(log)}")
                    shutil.copyfile(log, log_copy)
                    print(f"  program output: {log_copy}", flush=True)
            else:
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            finally:
                scenario.cleanup()
    except Exception as error:
        failures.append("setup")
        print(f"FAIL setting up the display: {error}", flush=True)
    finally:
        x.stop()
        if not args.keep and not failures:
            shutil.rmtree(base_dir, ignore_errors=True)
        elif failures:
            print(f"work folders kept in {base_dir}", flush=True)
    print(f"{passed}/{len(names)} scenarios passed in {time.monotonic() - began:.1f} s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
