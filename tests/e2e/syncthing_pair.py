"""Two Syncthing instances on this machine that share one folder between two
homes, as two computers of one learner would. Each has its own home, ports
and device id; they listen on 127.0.0.1 only and use no global or local
discovery, relays, NAT traversal, usage reporting or upgrades. Scans are
asked for through the REST interface (no file-system watcher), so a test
decides when a change travels."""

import json
import os
import shutil
import socket
import subprocess
import time
import urllib.error
import urllib.request
import xml.etree.ElementTree as ElementTree

from xsession import E2EFailure, wait_until

FOLDER_ID = "lexomat"
API_KEY = "lexomat-e2e-key"

# Files of the shared folder that the engines never compare: their own
# marker and temporary files.
ENGINE_FILES = (".stfolder", ".stversions", ".stignore")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def _set(parent, tag, text):
    element = parent.find(tag)
    if element is None:
        element = ElementTree.SubElement(parent, tag)
    element.text = text


class Instance:
    def __init__(self, name, home, folder, log_path):
        self.name = name
        self.home = home
        self.folder = folder
        self.log_path = log_path
        self.gui_port = free_port()
        self.listen_port = free_port()
        self.device_id = None
        self.process = None

    # -- set-up ---------------------------------------------------------------

    def generate(self):
        os.makedirs(self.home, exist_ok=True)
        result = subprocess.run(["syncthing", "generate", f"--home={self.home}", "--no-default-folder",
                                 "--skip-port-probing"], capture_output=True, timeout=60)
        if result.returncode != 0:
            raise E2EFailure(f"syncthing generate failed: {result.stderr.decode(errors='replace')}")
        result = subprocess.run(["syncthing", "serve", f"--home={self.home}", "--device-id"],
                                capture_output=True, timeout=30)
        self.device_id = result.stdout.decode().strip()
        if len(self.device_id) != 63:
            raise E2EFailure(f"no device id from syncthing: {result.stdout!r} {result.stderr!r}")

    def configure(self, peers):
        """Writes the configuration: this instance, its peers at their
        addresses on 127.0.0.1, and the one shared folder."""
        path = os.path.join(self.home, "config.xml")
        tree = ElementTree.parse(path)
        root = tree.getroot()
        for device in root.findall("device"):
            root.remove(device)
        for folder in root.findall("folder"):
            root.remove(folder)
        template = root.find("defaults/folder")
        folder = ElementTree.fromstring(ElementTree.tostring(template))
        folder.set("id", FOLDER_ID)
        folder.set("label", FOLDER_ID)
        folder.set("path", self.folder)
        folder.set("fsWatcherEnabled", "false")
        folder.set("rescanIntervalS", "0")
        for device in folder.findall("device"):
            folder.remove(device)
        if folder.find("minDiskFree") is not None:
            folder.find("minDiskFree").text = "0"
        for instance in [self] + peers:
            member = ElementTree.SubElement(folder, "device", {"id": instance.device_id, "introducedBy": ""})
            ElementTree.SubElement(member, "encryptionPassword")
        position = list(root).index(root.find("gui"))
        root.insert(position, folder)
        for instance in [self] + peers:
            device = ElementTree.Element("device", {"id": instance.device_id, "name": instance.name,
                                                    "compression": "metadata", "introducer": "false",
                                                    "skipIntroductionRemovals": "false", "introducedBy": ""})
            ElementTree.SubElement(device, "address").text = f"tcp://127.0.0.1:{instance.listen_port}"
            ElementTree.SubElement(device, "paused").text = "false"
            ElementTree.SubElement(device, "autoAcceptFolders").text = "false"
            root.insert(position, device)

        gui = root.find("gui")
        _set(gui, "address", f"127.0.0.1:{self.gui_port}")
        _set(gui, "apikey", API_KEY)
        options = root.find("options")
        for tag, value in (
                ("listenAddress", f"tcp://127.0.0.1:{self.listen_port}"),
                ("globalAnnounceServer", ""),
                ("globalAnnounceEnabled", "false"),
                ("localAnnounceEnabled", "false"),
                ("relaysEnabled", "false"),
                ("natEnabled", "false"),
                ("urAccepted", "-1"),
                ("urSeen", "3"),
                ("autoUpgradeIntervalH", "0"),
                ("startBrowser", "false"),
                ("crashReportingEnabled", "false"),
                ("announceLANAddresses", "false"),
                ("stunKeepaliveStartS", "0"),
                ("stunKeepaliveMinS", "0"),
                ("stunServer", ""),
                ("reconnectionIntervalS", "1"),
                ("progressUpdateIntervalS", "-1"),
                ("setLowPriority", "false")):
            _set(options, tag, value)
        if options.find("minHomeDiskFree") is not None:
            options.find("minHomeDiskFree").text = "0"
        tree.write(path, encoding="unicode")

    def start(self, env):
        os.makedirs(os.path.join(self.folder, ".stfolder"), exist_ok=True)
        environment = dict(env)
        environment.update({"STNOUPGRADE": "1", "STNORESTART": "1", "STNODEFAULTFOLDER": "1",
                            "HOME": self.home})
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(
                ["syncthing", "serve", f"--home={self.home}", "--no-browser", "--no-restart", "--no-upgrade"],
                env=environment, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)
        wait_until(f"syncthing {self.name} to answer", self._answers, timeout=30, interval=0.2)

    def stop(self):
        if self.process is None or self.process.poll() is not None:
            return
        try:
            self.post("/rest/system/shutdown")
            self.process.wait(timeout=10)
        except (E2EFailure, OSError, subprocess.TimeoutExpired):
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=5)

    # -- REST -------------------------------------------------------------------

    def _request(self, method, path, body=None):
        if self.process is not None and self.process.poll() is not None:
            raise E2EFailure(f"syncthing {self.name} ended with code {self.process.returncode}; see {self.log_path}")
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(f"http://127.0.0.1:{self.gui_port}{path}", data=data, method=method,
                                         headers={"X-API-Key": API_KEY, "Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=10) as response:
            text = response.read().decode()
        return json.loads(text) if text.strip() else None

    def get(self, path):
        return self._request("GET", path)

    def post(self, path, body=None):
        return self._request("POST", path, body)

    def _answers(self):
        try:
            return self.get("/rest/system/ping") == {"ping": "pong"}
        except (urllib.error.URLError, ConnectionError, OSError):
            return False

    def scan(self):
        self.post(f"/rest/db/scan?folder={FOLDER_ID}")

    def idle(self):
        status = self.get(f"/rest/db/status?folder={FOLDER_ID}")
        return status.get("state") == "idle" and status.get("needTotalItems", 0) == 0

    def connected_to(self, other):
        connections = self.get("/rest/system/connections").get("connections", {})
        return connections.get(other.device_id, {}).get("connected", False)

    def processes(self):
        """The engine's process and its children (syncthing runs a monitor
        process above the one that does the work)."""
        found = [self.process.pid]
        for pid in found:
            try:
                for task in os.listdir(f"/proc/{pid}/task"):
                    with open(f"/proc/{pid}/task/{task}/children") as file:
                        found += [int(child) for child in file.read().split()]
            except OSError:
                pass
        return found

    def listening_addresses(self):
        """The local addresses of every socket the engine holds open."""
        inodes = set()
        for pid in self.processes():
            fd_dir = f"/proc/{pid}/fd"
            try:
                fds = os.listdir(fd_dir)
            except OSError:
                continue
            for fd in fds:
                try:
                    target = os.readlink(os.path.join(fd_dir, fd))
                except OSError:
                    continue
                if target.startswith("socket:["):
                    inodes.add(target[len("socket:["):-1])
        addresses = []
        for table, family in (("tcp", 4), ("tcp6", 6), ("udp", 4), ("udp6", 6)):
            with open(f"/proc/net/{table}") as file:
                next(file)
                for line in file:
                    fields = line.split()
                    if fields[9] in inodes:
                        addresses.append((table, _address(fields[1], family), fields[3]))
        return addresses


def _address(hex_address, family):
    host, port = hex_address.split(":")
    raw = bytes.fromhex(host)
    if family == 4:
        text = ".".join(str(b) for b in reversed(raw))
    else:
        words = [raw[i:i + 4][::-1] for i in range(0, 16, 4)]
        text = socket.inet_ntop(socket.AF_INET6, b"".join(words))
    return f"{text}:{int(port, 16)}"


def folder_tree(folder, skip=()):
    """relative path -> bytes of every file below folder, the engine's own
    files and the named paths left out."""
    tree = {}
    for root, dirs, files in os.walk(folder):
        relative_root = os.path.relpath(root, folder)
        dirs[:] = [d for d in dirs if d not in ENGINE_FILES]
        for name in files:
            relative = os.path.normpath(os.path.join(relative_root, name))
            if name in ENGINE_FILES or name.startswith(".syncthing.") or any(
                    relative == s or relative.startswith(s.rstrip("/") + "/") or
                    (s.endswith("*") and relative.startswith(s[:-1])) for s in skip):
                continue
            try:
                with open(os.path.join(root, name), "rb") as file:
                    tree[relative] = file.read()
            except OSError:
                tree[relative] = None
    return tree


class SyncthingPair:
    """Two instances, "a" and "b", sharing FOLDER_ID between folder_a and
    folder_b. skip names the paths that are not shared (they are put into
    the folder's .stignore)."""

    def __init__(self, base_dir, folder_a, folder_b, env, skip=()):
        if shutil.which("syncthing") is None:
            raise E2EFailure("syncthing is missing (Debian package syncthing)")
        self.skip = list(skip)
        self.env = env
        self.a = Instance("a", os.path.join(base_dir, "syncthing-a"), folder_a, os.path.join(base_dir, "syncthing-a.log"))
        self.b = Instance("b", os.path.join(base_dir, "syncthing-b"), folder_b, os.path.join(base_dir, "syncthing-b.log"))

    def start(self):
        for instance in (self.a, self.b):
            instance.generate()
        self.a.configure([self.b])
        self.b.configure([self.a])
        for instance in (self.a, self.b):
            os.makedirs(instance.folder, exist_ok=True)
            with open(os.path.join(instance.folder, ".stignore"), "w") as file:
                file.write("".join(f"/{pattern}\n" for pattern in self.skip))
            instance.start(self.env)
        wait_until("the two syncthing instances to connect",
                   lambda: self.a.connected_to(self.b) and self.b.connected_to(self.a), timeout=30, interval=0.3)
        for instance in (self.a, self.b):
            for table, address, _ in instance.listening_addresses():
                if not address.startswith("127.0.0.1:"):
                    raise E2EFailure(f"syncthing {instance.name} has a {table} socket on {address}")

    def stop(self):
        for instance in (self.b, self.a):
            instance.stop()

    def pause(self):
        """Both instances stop talking to each other, as two computers
        without a network."""
        self.a.post(f"/rest/system/pause?device={self.b.device_id}")
        self.b.post(f"/rest/system/pause?device={self.a.device_id}")
        wait_until("the instances to disconnect",
                   lambda: not self.a.connected_to(self.b) and not self.b.connected_to(self.a), timeout=15)

    def resume(self):
        self.a.post(f"/rest/system/resume?device={self.b.device_id}")
        self.b.post(f"/rest/system/resume?device={self.a.device_id}")
        wait_until("the instances to connect again",
                   lambda: self.a.connected_to(self.b) and self.b.connected_to(self.a), timeout=30, interval=0.3)

    def scan(self):
        for instance in (self.a, self.b):
            instance.scan()

    def wait_synced(self, what, settled=None, timeout=60.0):
        """Rescans both sides until both folders hold the same files and both
        engines are idle, and settled (given the two trees) holds."""
        def synced():
            self.scan()
            time.sleep(0.3)
            if not (self.a.idle() and self.b.idle()):
                return None
            tree_a = folder_tree(self.a.folder, self.skip)
            tree_b = folder_tree(self.b.folder, self.skip)
            if tree_a != tree_b:
                return None
            if settled is not None and not settled(tree_a):
                return None
            return tree_a
        return wait_until(what, synced, timeout=timeout, interval=0.5)
