"""Sound for the end-to-end scenarios: a private PulseAudio server with a null
sink in a scenario's own runtime folder, recordings of that sink's monitor,
and the loudness of a recording as sox measures it.

Programs started with the same XDG_RUNTIME_DIR play through this server, and
so does the speech-dispatcher that they start for themselves (it finds the
server by the same folder). Everything started in that folder is ended by
stop(), the speech service included: its processes are found by the runtime
folder in their environment."""

import os
import re
import shutil
import signal
import subprocess
import time

from xsession import E2EFailure, wait_until

SINK = "lexomat_e2e"
REQUIRED_TOOLS = ("pulseaudio", "pactl", "parecord", "sox")


def _environment_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as file:
            return file.read().split(b"\0")
    except OSError:
        return []


def processes_in(runtime_dir):
    """Pids of the processes whose XDG_RUNTIME_DIR is runtime_dir."""
    wanted = b"XDG_RUNTIME_DIR=" + os.fsencode(runtime_dir)
    own = os.getpid()
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit() and int(entry) != own and wanted in _environment_of(entry):
            found.append(int(entry))
    return found


def process_names(pids):
    names = []
    for pid in pids:
        try:
            with open(f"/proc/{pid}/comm") as file:
                names.append(file.read().strip())
        except OSError:
            pass
    return names


class PrivatePulse:
    """pulseaudio -n with only a null sink and the native protocol, in the
    given runtime folder and home."""

    def __init__(self, home, runtime_dir, log_path):
        self.home = home
        self.runtime_dir = runtime_dir
        self.log_path = log_path
        self.process = None
        self.recorder = None

    def env(self):
        env = dict(os.environ)
        env.update({"HOME": self.home, "XDG_RUNTIME_DIR": self.runtime_dir,
                    "XDG_CONFIG_HOME": os.path.join(self.home, ".config")})
        env.pop("PULSE_SERVER", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        return env

    def start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if missing:
            raise E2EFailure("missing tools for the sound scenario: " + ", ".join(missing)
                             + " (packages pulseaudio, pulseaudio-utils, sox)")
        # As root pulseaudio only warns that it is meant for a user session;
        # --system=no keeps it to this folder all the same.
        command = ["pulseaudio", "-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1",
                   "--disallow-exit", "--log-target=stderr",
                   "-L", f"module-null-sink sink_name={SINK}", "-L", "module-native-protocol-unix"]
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(command, env=self.env(), stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=subprocess.STDOUT)

        def ready():
            if self.process.poll() is not None:
                raise E2EFailure(f"pulseaudio ended at start with code {self.process.returncode}; "
                                 f"see {self.log_path}")
            result = subprocess.run(["pactl", "list", "short", "sinks"], env=self.env(),
                                    capture_output=True, text=True)
            return result.returncode == 0 and SINK in result.stdout
        wait_until("the private PulseAudio server and its null sink", ready, timeout=15)
        return self

    def record(self, path):
        """Starts recording the null sink's monitor into a WAV file."""
        self.recorder = subprocess.Popen(["parecord", f"--device={SINK}.monitor", "--file-format=wav", path],
                                         env=self.env(), stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until("the recording to start", lambda: os.path.exists(path) and os.path.getsize(path) > 0)

    def stop_recording(self):
        if self.recorder and self.recorder.poll() is None:
            self.recorder.send_signal(signal.SIGINT)
            try:
                self.recorder.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.recorder.kill()
                self.recorder.wait()
        self.recorder = None

    def stop(self):
        """Ends the recorder, every process started in the runtime folder
        (the speech service and its voices among them) and the server."""
        self.stop_recording()
        for sig in (signal.SIGTERM, signal.SIGKILL):
            others = [pid for pid in processes_in(self.runtime_dir)
                      if not self.process or pid != self.process.pid]
            for pid in others:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline and any(os.path.exists(f"/proc/{pid}") and _alive(pid)
                                                      for pid in others):
                time.sleep(0.05)
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def _alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as file:
            return file.read().split(") ", 1)[1][0] != "Z"
    except (OSError, IndexError):
        return False


def rms(path):
    """The RMS amplitude of a recording (0 to 1) by sox's stat effect."""
    result = subprocess.run(["sox", path, "-n", "stat"], capture_output=True, text=True)
    match = re.search(r"RMS\s+amplitude:\s+([0-9.]+)", result.stderr)
    if result.returncode != 0 or not match:
        raise E2EFailure(f"sox could not measure {path}: {result.stderr.strip()}")
    return float(match.group(1))


def length(path):
    result = subprocess.run(["sox", path, "-n", "stat"], capture_output=True, text=True)
    match = re.search(r"Length \(seconds\):\s+([0-9.]+)", result.stderr)
    return float(match.group(1)) if match else 0.0
