#!/usr/bin/env python3
"""Two computers, one learner, with the real file-sync engine: two Syncthing
instances carry the data folder between two homes of Lexomat with different
home paths, and a Lexomat runs in each, on an X display of its own.

    run_sharing.py --binary build/app/lexomat --wrd build/tools/wrd/lexomat-wrd
                   [--artifacts DIR] [--keep]

Both answer words, and lexomat-wrd progress counts the answers of both on
each computer once the journals have travelled. Both add words to the same dictionary while both run; A marks a dictionary
"Исключить" and B shows the mark; a dictionary changed on both sides while
the engines cannot reach each other ends, after "Объединить", with every
word of both versions. On a failure both screens are saved in the artifacts
folder.
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

from program_files import decode_dictionary, encode_dictionary, read_settings  # noqa: E402
from run_e2e import (ADD_WORD_BUTTON, FIRST_TAB, NEXT_DICTIONARY_BUTTON, START_BUTTON, E2EFailure,  # noqa: E402
                     Lexomat, check)
from syncthing_pair import SyncthingPair  # noqa: E402
from xsession import XSession, wait_until  # noqa: E402

# On the dictionaries tab, whose page starts at (21, 42) of the window.
PREVIOUS_DICTIONARY_BUTTON = (21 + 20 + 14, 42 + 202 + 10)  # BPrevDict "<<", 29 x 21
EXCLUDE_BOX = (21 + 105 + 8, 42 + 232 + 9)                   # CBExclude "Исключить"
MERGE_BUTTON = (21 - 1 + 280 + 41, 42 + 161 + 7 + 11)        # BMergeConflict on the bar below the list
NEXT_TURN_BUTTON = (284 + 27, 21 + 8)                         # Button3 "Дальше", 55 x 17

ANSWER_COLUMNS = ["right", "wrong", "unanswered", "hints", "shown"]

# What is not carried between the computers: copies of dictionaries that
# could not be written. (The index of answers lives in each computer's state
# folder, outside the shared one; a record left there by an older Lexomat
# would be no more than a file of that computer's.)
NOT_SHARED = ["progress.sqlite*", "recovered"]

FIRST = ["cat,кошка,", "dog,собака,", "house,дом,", "tree,дерево,", "water,вода,", "sun,солнце,"]
SECOND = ["red,красный,", "blue,синий,", "green,зелёный,", "black,чёрный,", "white,белый,", "grey,серый,"]


class Computer:
    """One computer: its display, its home and the shared folder in it, and
    its Lexomat."""

    def __init__(self, name, base_dir, home):
        self.name = name
        self.x = XSession(os.path.join(base_dir, f"x-{name}"))
        os.makedirs(self.x.base_dir, exist_ok=True)
        self.home = home
        self.shared = os.path.join(home, ".local", "share", "lexomat")
        self.log_path = os.path.join(base_dir, f"lexomat-{name}.log")
        self.program = None

    def prepare(self):
        for sub in (".config/Tolv", ".cache", ".local/share/lexomat/dict", "runtime"):
            os.makedirs(os.path.join(self.home, sub), exist_ok=True)
        os.chmod(os.path.join(self.home, "runtime"), 0o700)

    def start(self, binary):
        self.x.start()
        # As the lexomat command starts it: in the shared folder.
        self.program = Lexomat(self.x, binary, self.home, self.shared, self.log_path).start()
        return self.program

    def stop(self):
        if self.program:
            self.program.kill()
        self.x.stop()

    def dictionary(self, number):
        return os.path.join(self.shared, "dict", f"tom_{number}.wrd")

    def lines(self, number):
        with open(self.dictionary(number), "rb") as file:
            return decode_dictionary(file.read())

    # -- what the learner does ------------------------------------------------

    def click(self, point):
        self.program.refresh_main()
        self.program.click(point)

    def open_dictionaries_tab(self):
        self.click(FIRST_TAB)
        self.x.key("Right")
        self.x.park_pointer()
        time.sleep(0.3)

    def add_word(self, word, meaning):
        self.click(ADD_WORD_BUTTON)
        editor = self.x.search_sync("^Новое слово$")[0]
        self.x.type_text(word)
        self.x.key("Tab")
        self.x.type_text(meaning)
        self.x.key("Return")
        wait_until(f"the word editor of {self.name} to close", lambda: self.x.hidden(editor))

    def step(self, button):
        self.click(button)
        self.x.park_pointer()
        time.sleep(0.3)

    def information(self, timeout=8.0):
        """The text-less fact that an information box is up; it is closed."""
        box = self.x.search_sync("^Информация$", timeout=timeout)[0]
        self.x.key("Return")
        wait_until(f"the information box of {self.name} to close", lambda: self.x.hidden(box))

    def no_information(self):
        found = self.x.search("--onlyvisible", "--name", "^Информация$")
        check(not found, f"{self.name} shows an unexpected information box")

    def close(self):
        self.program.close_with_button()

    def computer_id(self):
        settings = read_settings(os.path.join(self.home, ".config", "Tolv", "LX.ini"))
        return settings.get("", {}).get("COMPUTER_ID", "").split(":")[-1]

    def journal_lines(self, computer_id):
        path = os.path.join(self.shared, "journal", f"{computer_id}.jsonl")
        if not os.path.exists(path):
            return 0
        with open(path, "rb") as file:
            return file.read().count(b"\n")

    def play(self, turns):
        """A game in which each turn is ended with "Дальше": each an answer
        in this computer's journal. Returns how many it holds."""
        self.click(START_BUTTON)
        wait_until(f"{self.name} to name its computer", self.computer_id, timeout=10)
        own = self.computer_id()
        for _ in range(turns):
            before = self.journal_lines(own)
            time.sleep(0.4)
            self.click(NEXT_TURN_BUTTON)
            wait_until(f"an answer in the journal of {self.name}", lambda: self.journal_lines(own) > before,
                       timeout=8)
        self.click(START_BUTTON)
        self.x.park_pointer()
        return self.journal_lines(own)

    def answers_counted(self, wrd):
        """The answers lexomat-wrd progress counts in this home, in total."""
        env = self.program.env()
        result = subprocess.run([wrd, "progress", "--tsv", os.path.join(self.shared, "dict")], env=env,
                                capture_output=True, text=True, timeout=60)
        check(result.returncode == 0, f"lexomat-wrd progress on {self.name}: {result.stderr}")
        rows = [line.split("\t") for line in result.stdout.splitlines()]
        header, total = rows[0], rows[-1]
        check(total[0] == "total", f"lexomat-wrd progress on {self.name} printed {result.stdout}")
        return sum(int(total[header.index(column)]) for column in ANSWER_COLUMNS)

    def exclude_flag(self, number):
        """This computer's own "Исключить" of a dictionary, as its settings
        hold it: True, False or None."""
        settings = read_settings(os.path.join(self.home, ".config", "Tolv", "LX.ini"))
        for name, value in settings.get("ACTIVE", {}).items():
            if name.endswith(f"tom_{number}.wrd"):
                return value.endswith("1")
        return None


def scenario(a, b, pair, binary, wrd):
    # The learner's dictionaries start on A and reach B through the engine.
    with open(a.dictionary(0), "wb") as file:
        file.write(encode_dictionary(FIRST))
    with open(a.dictionary(1), "wb") as file:
        file.write(encode_dictionary(SECOND))
    pair.wait_synced("the dictionaries to reach B", lambda tree: "dict/tom_1.wrd" in tree)

    a.start(binary)
    b.start(binary)
    # Both practise; each answer goes into the journal of its computer.
    answered = {}
    for computer, turns in ((a, 3), (b, 4)):
        count = computer.play(turns)
        answered[f"journal/{computer.computer_id()}.jsonl"] = count
    check(len(answered) == 2, f"the two computers share one id: {answered}")

    def journals_travelled(tree):
        return all(tree.get(name, b"").count(b"\n") == count for name, count in answered.items())
    pair.wait_synced("the journals to reach the other computer", journals_travelled)
    for computer in (a, b):
        wait_until(f"lexomat-wrd on {computer.name} to count both computers' answers",
                   lambda: computer.answers_counted(wrd) == sum(answered.values()), timeout=10)
    for computer in (a, b):
        computer.open_dictionaries_tab()

    # Both add a word to tom_0 while both run. A leaves the dictionary first,
    # which writes it; B, leaving it after A's version arrived, merges.
    a.add_word("apple", "яблоко")
    a.step(NEXT_DICTIONARY_BUTTON)
    pair.wait_synced("A's word to reach B", lambda tree: b"a\x00p\x00p\x00l\x00e\x00" in tree.get("dict/tom_0.wrd", b""))
    b.add_word("pear", "груша")
    b.step(NEXT_DICTIONARY_BUTTON)
    b.information()  # what was merged
    tree = pair.wait_synced("B's merge to reach A", lambda tree: b"p\x00e\x00a\x00r\x00" in tree.get("dict/tom_0.wrd", b""))
    # The merging side keeps its own addition first.
    expected = FIRST + ["pear,груша,", "apple,яблоко,"]
    for computer in (a, b):
        check(computer.lines(0) == expected, f"tom_0.wrd on {computer.name}: {computer.lines(0)}, expected {expected}")

    # A marks tom_1, which both show now, "Исключить"; B shows it too.
    a.click(EXCLUDE_BOX)
    pair.wait_synced("A's mark to reach B", lambda tree: any(name.startswith("marks/") for name in tree))
    wait_until("B to take the mark", lambda: b.exclude_flag(1) is True, timeout=10)
    check(a.exclude_flag(1) is True, "A's own settings do not hold the mark it set")
    a.no_information()
    b.no_information()

    # Both change tom_0 while the engines cannot reach each other.
    pair.pause()
    for computer, word, meaning in ((a, "plum", "слива"), (b, "kiwi", "киви")):
        computer.step(PREVIOUS_DICTIONARY_BUTTON)
        computer.add_word(word, meaning)
        computer.step(NEXT_DICTIONARY_BUTTON)
        computer.no_information()
    pair.scan()
    time.sleep(1)
    pair.resume()
    tree = pair.wait_synced("the engines to settle the conflict",
                            lambda tree: any(".sync-conflict-" in name for name in tree))
    copies = [name for name in tree if ".sync-conflict-" in name]
    check(len(copies) == 1 and copies[0].startswith("dict/tom_0.sync-conflict-"),
          f"conflict copies after the two edits: {copies}")

    # A sees the copy on its dictionaries tab and merges it.
    time.sleep(1.0)  # the tab looks at its folder once changes settle
    a.click(MERGE_BUTTON)
    a.information()
    expected_words = {"apple", "pear", "plum", "kiwi"} | {line.split(",")[0] for line in FIRST}
    tree = pair.wait_synced("A's merge to reach B",
                            lambda tree: not any(os.path.dirname(name) == "dict" and ".sync-conflict-" in name
                                                    for name in tree))
    for computer in (a, b):
        words = [line.split(",")[0] for line in computer.lines(0)]
        check(set(words) == expected_words and len(words) == len(expected_words),
              f"tom_0.wrd on {computer.name} after the merge: {words}")
        kept = os.listdir(os.path.join(computer.shared, "dict", "conflicts"))
        check(kept == [os.path.basename(copies[0])], f"conflicts/ on {computer.name}: {kept}")

    for computer in (a, b):
        computer.close()
    check(b.exclude_flag(1) is True, "B's settings lost the mark at its close")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--wrd", required=True)
    parser.add_argument("--artifacts")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))

    binary = os.path.abspath(args.binary)
    artifacts = os.path.abspath(args.artifacts or os.path.join(tempfile.gettempdir(), "lexomat-e2e-artifacts"))
    base_dir = tempfile.mkdtemp(prefix="lexomat-sharing-")
    # Two home paths that differ, as on two computers.
    a = Computer("a", base_dir, os.path.join(base_dir, "alice"))
    b = Computer("b", base_dir, os.path.join(base_dir, "laptop", "home", "alice"))
    for computer in (a, b):
        computer.prepare()
    pair = SyncthingPair(base_dir, a.shared, b.shared, a.x.base_env(), skip=NOT_SHARED)
    began = time.monotonic()
    failed = False
    try:
        pair.start()
        scenario(a, b, pair, binary, os.path.abspath(args.wrd))
    except Exception as error:
        failed = True
        print(f"FAIL sharing ({time.monotonic() - began:.1f} s): {error}", flush=True)
        if not isinstance(error, AssertionError):
            traceback.print_exc()
        os.makedirs(artifacts, exist_ok=True)
        for computer in (a, b):
            try:
                if computer.x.display:
                    shot = computer.x.save_screenshot(os.path.join(artifacts, f"sharing-{computer.name}-failure.png"))
                    print(f"  screenshot of {computer.name}: {shot}", flush=True)
            except Exception as shot_error:
                print(f"  no screenshot of {computer.name}: {shot_error}", flush=True)
        for log in [a.log_path, b.log_path, pair.a.log_path, pair.b.log_path]:
            if os.path.exists(log):
                copy = os.path.join(artifacts, "sharing-" + os.path.basename(log))
                shutil.copyfile(log, copy)
                print(f"  log: {copy}", flush=True)
    finally:
        for computer in (a, b):
            computer.stop()
        pair.stop()
        for instance in (pair.a, pair.b):
            if instance.process is not None and instance.process.poll() is None:
                failed = True
                print(f"FAIL syncthing {instance.name} still runs", flush=True)
        if not args.keep and not failed:
            shutil.rmtree(base_dir, ignore_errors=True)
        else:
            print(f"work folder kept in {base_dir}", flush=True)
    if not failed:
        print(f"PASS sharing ({time.monotonic() - began:.1f} s)", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
