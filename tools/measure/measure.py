#!/usr/bin/env python3
"""Measures Lexomat against a minimal Qt Widgets program on a private X server.

    tools/measure/measure.py [--runs 5] [--idle 10] [--build-dir build-measure]

Builds what it needs (Lexomat and the benchmarks, the minimal program of
tools/measure/minimal, the X probe of tools/measure/xprobe.c) in its own build
folder, starts its own Xvfb (-displayfd picks a free display), and then, in
turns, starts each program --runs times in a fresh home and working folder:

  start-up      CLOCK_MONOTONIC from just before the program is started to the
                MapNotify of its first top-level window (xprobe wait-map);
  memory        VmRSS of /proc/PID/status two seconds after the window mapped;
  idle CPU      utime + stime of /proc/PID/stat over --idle seconds, with the
                game stopped; for Lexomat also with the game running (a click
                on "Запуск") and while the flash window runs;
  flash rate    Lexomat only, in mode 2 (DEFAULT_MODE=dword:00000002 in the
                settings file): the flash window's pixels are read back from
                the X server as fast as possible for --idle seconds (xprobe
                frames); every change of the picture is a new word shown.
                Changes less than 8 ms apart are one repaint (a repaint can
                reach the server in more than one piece).

With --startup-only, only start-up and memory are measured, over --runs
paired starts (Lexomat and the minimal program in turns, the first of each
pair alternating): it prints the medians and the spread of the per-pair
ratios (lowest, quartiles, highest). Each start is ended once its memory
is read.

With --speak, Lexomat starts with pronunciation on (SPEAK_WORDS=dword:00000001
in the settings file); either way the figures say whether the speech module
and Qt TextToSpeech were mapped into the process two seconds after the
window. The speech service a start may have started in its runtime folder is
ended with it.

It also runs the benchmarks once and prints a Markdown summary; --json writes
every figure to a file.
"""
import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
HERE = os.path.join(ROOT, "tools", "measure")
CLK_TCK = os.sysconf("SC_CLK_TCK")
# BStart in resources/main_form.ui: 65 x 20 at (303, 337) of the window.
START_BUTTON = (303 + 65 // 2, 337 + 20 // 2)
FLASH_TITLE = "25-й кадр"
DICTIONARY_LINES = 60
MERGE_NS = 8_000_000


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def locked(command, lock):
    return ["flock", lock] + command if lock else command


def build(build_dir, lock):
    if not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DLEXOMAT_BUILD_TESTS=OFF",
                        "-DLEXOMAT_BENCHMARKS=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(locked(["cmake", "--build", build_dir, "-j2", "--target", "lexomat", "lexomat_bench"], lock),
                   check=True, stdout=subprocess.DEVNULL)
    minimal_dir = os.path.join(build_dir, "minimal")
    if not os.path.exists(os.path.join(minimal_dir, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", os.path.join(HERE, "minimal"), "-B", minimal_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(locked(["cmake", "--build", minimal_dir], lock), check=True, stdout=subprocess.DEVNULL)
    probe = os.path.join(build_dir, "xprobe")
    subprocess.run(["cc", "-O2", "-o", probe, os.path.join(HERE, "xprobe.c"), "-lX11"], check=True)
    return {
        "lexomat": os.path.join(build_dir, "app", "lexomat"),
        "bench": os.path.join(build_dir, "bench", "lexomat_bench"),
        "minimal": os.path.join(minimal_dir, "minimal_window"),
        "xprobe": probe,
    }


class Xvfb:
    """A private X server on the first free display."""

    def __enter__(self):
        for _ in range(3):
            read_end, write_end = os.pipe()
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as pipe:
                number = pipe.readline().strip()
            if number and number != "99":
                self.display = ":" + number
                return self
            self.stop()
        raise RuntimeError("Xvfb did not start on a display of its own")

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)

    def __exit__(self, *exc):
        self.stop()


class Session:
    """One start of a program in a fresh home and working folder."""

    def __init__(self, tools, display, program, settings=None):
        self.tools = tools
        self.home = tempfile.mkdtemp(prefix="lexomat-measure-")
        run_dir = os.path.join(self.home, "run")
        runtime = os.path.join(self.home, "runtime")
        config = os.path.join(self.home, ".config")
        for folder in (os.path.join(run_dir, "dict"), runtime, os.path.join(config, "Tolv")):
            os.makedirs(folder)
        os.chmod(runtime, 0o700)
        # The program's default dictionary folder is dict/ of its working folder.
        subprocess.run([tools["bench"], "--write-dictionary", os.path.join(run_dir, "dict", "tom_0.wrd"),
                        str(DICTIONARY_LINES)], check=True)
        if settings:
            with open(os.path.join(config, "Tolv", "LX.ini"), "w") as out:
                out.write(settings)
        self.runtime = runtime
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": config,
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": display,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
            # No session bus on this display: both programs find none at once.
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(runtime, "no-bus"),
        }
        probe = subprocess.Popen([tools["xprobe"], "wait-map", "30000"], stdout=subprocess.PIPE, env=self.env,
                                 text=True)
        if probe.stdout.readline().strip() != "ready":
            raise RuntimeError("xprobe did not start")
        started = time.monotonic_ns()
        self.proc = subprocess.Popen([program], cwd=run_dir, env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        line = probe.stdout.readline().split()
        probe.wait()
        if len(line) != 3:
            self.close()
            raise RuntimeError(f"{program}: no window was mapped")
        mapped, window, pid = int(line[0]), int(line[1], 16), int(line[2])
        if pid not in (0, self.proc.pid):
            raise RuntimeError(f"a window of another process (pid {pid}) was mapped")
        self.window = window
        self.startup_ms = (mapped - started) / 1e6

    def rss_kb(self):
        with open(f"/proc/{self.proc.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise RuntimeError("no VmRSS")

    def speech_loaded(self):
        """Whether the pronunciation module or Qt TextToSpeech is mapped."""
        with open(f"/proc/{self.proc.pid}/maps") as maps:
            text = maps.read()
        return "lexomat-speech.so" in text or "libQt6TextToSpeech" in text

    def dictionary_opened(self):
        """Whether a file of the English-Russian dictionary or of WordNet is mapped or open."""
        folders = ("/usr/share/dictd/", "/usr/share/wordnet/")
        with open(f"/proc/{self.proc.pid}/maps") as maps:
            if any(folder in maps.read() for folder in folders):
                return True
        fd_dir = f"/proc/{self.proc.pid}/fd"
        for fd in os.listdir(fd_dir):
            try:
                if os.readlink(os.path.join(fd_dir, fd)).startswith(folders):
                    return True
            except OSError:
                pass
        return False

    def cpu_ticks(self):
        with open(f"/proc/{self.proc.pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def cpu_percent(self, seconds):
        ticks, start = self.cpu_ticks(), time.monotonic()
        time.sleep(seconds)
        used = (self.cpu_ticks() - ticks) / CLK_TCK
        return 100.0 * used / (time.monotonic() - start)

    def frames(self, window, seconds):
        out = subprocess.run([self.tools["xprobe"], "frames", hex(window), str(seconds)], env=self.env,
                             check=True, capture_output=True, text=True).stdout.split()
        polls, changes = int(out[0]), int(out[1])
        return polls, [int(t) for t in out[4:4 + changes]]

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", "--window", str(self.window), str(x), str(y), "click", "1"],
                       env=self.env, check=True)

    def find_window(self, title, timeout=10):
        out = subprocess.run(["timeout", str(timeout), "xdotool", "search", "--sync", "--onlyvisible", "--name",
                              title], env=self.env, capture_output=True, text=True).stdout.split()
        if not out:
            raise RuntimeError(f"no window named {title!r}")
        return int(out[0])

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        # A speech-dispatcher the program started lives on by itself.
        wanted = b"XDG_RUNTIME_DIR=" + self.runtime.encode()
        for entry in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if int(entry) != os.getpid() and wanted in environ.read().split(b"\0"):
                        os.kill(int(entry), signal.SIGTERM)
            except OSError:
                pass
        shutil.rmtree(self.home, ignore_errors=True)


def repaints(times):
    """Picture changes, with changes less than MERGE_NS apart taken as one."""
    merged = []
    for t in times:
        if not merged or t - merged[-1] >= MERGE_NS:
            merged.append(t)
    return merged


def measure(tools, display, runs, idle, speak=False):
    results = {"lexomat": [], "minimal": []}
    for run in range(runs):
        order = ["lexomat", "minimal"] if run % 2 == 0 else ["minimal", "lexomat"]
        for name in order:
            settings = "[General]\nSPEAK_WORDS=dword:00000001\n" if speak and name == "lexomat" else None
            session = Session(tools, display, tools[name], settings=settings)
            try:
                time.sleep(2)
                figures = {"startup_ms": session.startup_ms, "rss_kb": session.rss_kb(),
                           "speech_loaded": float(session.speech_loaded())}
                _, idle_changes = session.frames(session.window, 1.5)
                figures["idle_repaints"] = len(repaints(idle_changes))
                figures["cpu_stopped"] = session.cpu_percent(idle)
                if name == "lexomat":
                    session.click(*START_BUTTON)
                    _, running_changes = session.frames(session.window, 1.5)
                    if not running_changes:
                        raise RuntimeError("the game did not start: the board does not change")
                    figures["cpu_running"] = session.cpu_percent(idle)
            finally:
                session.close()
            if name == "lexomat":
                figures.update(measure_flash(tools, display, idle))
            log(f"run {run + 1} {name}: " + ", ".join(f"{k} {v:.2f}" for k, v in figures.items()))
            results[name].append(figures)
    return results


def measure_startup(tools, display, runs, speak=False):
    """Paired starts: per pair the start-up and memory of each program."""
    pairs = []
    for run in range(runs):
        order = ["lexomat", "minimal"] if run % 2 == 0 else ["minimal", "lexomat"]
        pair = {}
        for name in order:
            settings = "[General]\nSPEAK_WORDS=dword:00000001\n" if speak and name == "lexomat" else None
            session = Session(tools, display, tools[name], settings=settings)
            try:
                time.sleep(2)
                pair[name] = {"startup_ms": session.startup_ms, "rss_kb": session.rss_kb(),
                              "speech_loaded": float(session.speech_loaded()),
                              "dictionary_opened": float(session.dictionary_opened())}
            finally:
                session.close()
        log(f"pair {run + 1}: lexomat {pair['lexomat']['startup_ms']:.1f} ms "
            f"{pair['lexomat']['rss_kb'] / 1024:.1f} MiB, minimal {pair['minimal']['startup_ms']:.1f} ms "
            f"{pair['minimal']['rss_kb'] / 1024:.1f} MiB")
        pairs.append(pair)
    return pairs


def spread(values):
    """Lowest, lower quartile, median, upper quartile and highest."""
    ordered = sorted(values)
    if len(ordered) < 2:
        return ordered * 5
    q1, q2, q3 = statistics.quantiles(ordered, n=4, method="inclusive")
    return [ordered[0], q1, q2, q3, ordered[-1]]


def startup_summary(pairs):
    def column(name, key):
        return [p[name][key] for p in pairs]

    lines = [f"{len(pairs)} paired starts. Spread: lowest, lower quartile, median, upper quartile, highest.", "",
             "| Figure | Lexomat (median) | Minimal Qt (median) | Ratio of medians | Per-pair ratio spread | Goal |",
             "|---|---|---|---|---|---|"]
    for key, label, unit, scale, goal in (("startup_ms", "Start to mapped window", "ms", 1.0, 1.2),
                                          ("rss_kb", "Resident memory 2 s after the map", "MiB", 1 / 1024, 1.15)):
        ours, theirs = column("lexomat", key), column("minimal", key)
        ratio = statistics.median(ours) / statistics.median(theirs)
        pair_ratios = [a / b for a, b in zip(ours, theirs)]
        lines.append(f"| {label} | {statistics.median(ours) * scale:.1f} {unit} | "
                     f"{statistics.median(theirs) * scale:.1f} {unit} | {ratio:.2f} x | "
                     + " / ".join(f"{r:.2f}" for r in spread(pair_ratios)) + f" | <= {goal} x |")
    loaded = statistics.median(column("lexomat", "speech_loaded"))
    lines.append("")
    lines.append(f"Speech library mapped 2 s after the window: {'yes' if loaded >= 0.5 else 'no'}")
    opened = sum(column("lexomat", "dictionary_opened"))
    lines.append(f"English-Russian dictionary or WordNet mapped or open 2 s after the window: in {opened:.0f} "
                 f"of {len(pairs)} starts")
    return "\n".join(lines)


def measure_flash(tools, display, seconds):
    session = Session(tools, display, tools["lexomat"],
                      settings="[General]\nDEFAULT_MODE=dword:00000002\n")
    try:
        time.sleep(1)
        session.click(*START_BUTTON)
        flash = session.find_window(FLASH_TITLE)
        time.sleep(0.5)
        ticks, start = session.cpu_ticks(), time.monotonic()
        polls, changes = session.frames(flash, seconds)
        cpu = 100.0 * (session.cpu_ticks() - ticks) / CLK_TCK / (time.monotonic() - start)
    finally:
        session.close()
    shown = repaints(changes)
    span = (shown[-1] - shown[0]) / 1e9 if len(shown) > 1 else 0
    gaps = sorted((b - a) / 1e6 for a, b in zip(shown, shown[1:]))
    return {
        "flash_words_per_s": (len(shown) - 1) / span if span else 0.0,
        "flash_raw_changes": len(changes),
        "flash_polls_per_s": polls / seconds,
        "flash_gap_median_ms": statistics.median(gaps) if gaps else 0.0,
        "flash_gap_max_ms": gaps[-1] if gaps else 0.0,
        "cpu_flashing": cpu,
    }


def run_benchmarks(bench):
    out = subprocess.run([bench, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"],
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), check=True, capture_output=True,
                         text=True).stdout
    figures = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[entry["time_unit"]]
            figures[entry["run_name"]] = entry["real_time"] * scale
    return figures


def summary(results, bench):
    def median(name, key):
        values = [r[key] for r in results[name] if key in r]
        return statistics.median(values) if values else float("nan")

    rows = []
    start_ratio = median("lexomat", "startup_ms") / median("minimal", "startup_ms")
    rss_ratio = median("lexomat", "rss_kb") / median("minimal", "rss_kb")
    rows.append(("Start to mapped window", f"{median('lexomat', 'startup_ms'):.0f} ms",
                 f"{median('minimal', 'startup_ms'):.0f} ms", f"{start_ratio:.2f}x", "<= 1.5x",
                 start_ratio <= 1.5))
    rows.append(("Resident memory after start", f"{median('lexomat', 'rss_kb') / 1024:.1f} MiB",
                 f"{median('minimal', 'rss_kb') / 1024:.1f} MiB", f"{rss_ratio:.2f}x", "<= 1.5x", rss_ratio <= 1.5))
    stopped = median("lexomat", "cpu_stopped")
    rows.append(("CPU, game stopped", f"{stopped:.2f} %", f"{median('minimal', 'cpu_stopped'):.2f} %", "",
                 "< 1 % of a core", stopped < 1.0))
    loaded = median("lexomat", "speech_loaded")
    rows.append(("Speech library mapped 2 s after the window", "yes" if loaded >= 0.5 else "no", "", "", "", None))
    rows.append(("CPU, game running", f"{median('lexomat', 'cpu_running'):.2f} %", "", "", "", None))
    rows.append(("CPU, flash window", f"{median('lexomat', 'cpu_flashing'):.2f} %", "", "", "", None))
    rate = median("lexomat", "flash_words_per_s")
    rows.append(("Flash window word rate", f"{rate:.2f} /s", "", f"{rate / 25:.3f} of 25", "25 /s within 2 %",
                 abs(rate - 25) <= 0.5))
    load = bench.get("WordFileLoad", float("nan"))
    rows.append(("Dictionary load (70 lines)", f"{load:.1f} us", "", "", "< 50 us", load < 50))
    lines = ["| Figure | Lexomat | Minimal Qt | Ratio | Goal | Met |", "|---|---|---|---|---|---|"]
    for figure, ours, theirs, ratio, goal, met in rows:
        lines.append(f"| {figure} | {ours} | {theirs} | {ratio} | {goal} | "
                     f"{'' if met is None else ('yes' if met else 'no')} |")
    lines.append("")
    lines.append("| Benchmark | Median |")
    lines.append("|---|---|")
    for name, micros in bench.items():
        lines.append(f"| {name} | {micros:.2f} us |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of each CPU and flash sample")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-measure"))
    parser.add_argument("--lock", default="/tmp/lx/build.lock" if os.path.exists("/tmp/lx") else "",
                        help="flock file that serialises builds")
    parser.add_argument("--json", help="write every figure to this file")
    parser.add_argument("--speak", action="store_true", help="start Lexomat with pronunciation on")
    parser.add_argument("--startup-only", action="store_true",
                        help="paired starts only: start-up and memory with the spread of their ratios")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "cmake", "cc"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing")

    tools = build(os.path.abspath(args.build_dir), args.lock)
    if args.startup_only:
        with Xvfb() as server:
            log(f"Xvfb on {server.display}")
            pairs = measure_startup(tools, server.display, args.runs, args.speak)
        if args.json:
            with open(args.json, "w") as out:
                json.dump({"pairs": pairs}, out, indent=1)
        print(startup_summary(pairs))
        return
    with Xvfb() as server:
        log(f"Xvfb on {server.display}")
        results = measure(tools, server.display, args.runs, args.idle, args.speak)
    bench = run_benchmarks(tools["bench"])
    if args.json:
        with open(args.json, "w") as out:
            json.dump({"runs": results, "benchmarks_us": bench}, out, indent=1)
    print(summary(results, bench))


if __name__ == "__main__":
    signal.signal(signal.SIGINT, signal.default_int_handler)
    main()
