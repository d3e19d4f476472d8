# Two real Syncthing instances on 127.0.0.1 share one folder; side A runs
# tessvik-syncthing and the simulated Finder, whose badges follow what
# Syncthing does: a large file pulled from B, a conflict made while the two
# were apart, a file that A cannot write. Arguments: the bridge, the simulated
# Finder. Exits 77 (skipped) where Syncthing is not installed.
import contextlib, copy, json, os, pathlib, re, shutil, signal, socket, subprocess, sys, tempfile
import threading, time, unittest, urllib.request
import xml.etree.ElementTree as ET

BRIDGE, FINDER = sys.argv.pop(1), sys.argv.pop(1)
FOLDER = "partage"
# As root, Syncthing would pull through any permission: it runs as nobody.
AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.getuid() == 0 else []


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, predicate, timeout=30):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if value := predicate():
            return value
        time.sleep(0.1)
    raise AssertionError(f"still waiting after {timeout} s for {what}")


class Syncthing:
    def __init__(self, root, name):
        self.home, self.folder = os.path.join(root, name), os.path.join(root, name + "-Sync")
        out = subprocess.run(["syncthing", "generate", "--home=" + self.home, "--no-default-folder",
                              "--skip-port-probing"], capture_output=True, text=True, check=True)
        self.id = re.search(r"Device ID: (\S+)", out.stdout + out.stderr).group(1)
        self.port, self.gui, self.key = free_port(), free_port(), "cle-de-" + name
        os.makedirs(os.path.join(self.folder, ".stfolder"))

    # Before the first start: nothing leaves 127.0.0.1, the peer is dialled at
    # its address, a failed pull is tried again after 2 s, and 200 MB take 4 s
    # to come in, long enough to be seen syncing.
    def configure(self, peer):
        config = ET.parse(os.path.join(self.home, "config.xml"))
        for tag, text in {"listenAddress": f"tcp://127.0.0.1:{self.port}", "globalAnnounceServer": "",
                          "globalAnnounceEnabled": "false", "localAnnounceEnabled": "false",
                          "relaysEnabled": "false", "natEnabled": "false", "urAccepted": "-1",
                          "crashReportingEnabled": "false", "reconnectionIntervalS": "1",
                          "maxRecvKbps": "50000", "limitBandwidthInLan": "true"}.items():
            config.find("options/" + tag).text = text
        config.find("gui/address").text = f"127.0.0.1:{self.gui}"
        config.find("gui/apikey").text = self.key
        device = ET.SubElement(config.getroot(), "device", id=peer.id, name="pair")
        ET.SubElement(device, "address").text = f"tcp://127.0.0.1:{peer.port}"
        folder = copy.deepcopy(config.find("defaults/folder"))
        folder.attrib.update(id=FOLDER, path=self.folder, fsWatcherEnabled="true", fsWatcherDelayS="1")
        ET.SubElement(folder, "device", id=peer.id)
        folder.find("pullerPauseS").text = "2"
        config.getroot().insert(0, folder)
        config.write(os.path.join(self.home, "config.xml"))

    def start(self):
        if AS_NOBODY:
            subprocess.run(["chown", "-R", "nobody:nogroup", self.home, self.folder], check=True)
        with open(self.home + ".log", "w") as log:
            self.process = subprocess.Popen(AS_NOBODY + ["syncthing", "serve", "--home=" + self.home,
                                                         "--no-browser", "--no-restart", "--no-upgrade"],
                                            stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        wait_for("Syncthing's REST API", lambda: self.rest("/rest/system/ping", quiet=True))

    def rest(self, path, method="GET", quiet=False):
        request = urllib.request.Request(f"http://127.0.0.1:{self.gui}{path}", method=method,
                                         headers={"X-API-Key": self.key})
        try:
            with urllib.request.urlopen(request, timeout=30) as response:
                return json.loads(response.read() or "true")
        except OSError:
            if not quiet:
                raise

    def connected(self, peer):
        return self.rest("/rest/system/connections")["connections"][peer.id]["connected"]

    def stop(self):  # the worker and its monitor, whatever happened
        self.rest("/rest/system/shutdown", "POST", quiet=True)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.process.wait(10)
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.process.pid, signal.SIGKILL)


class TwoDevices(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="tessvik-syncthing-")
        cls.addClassCleanup(shutil.rmtree, cls.root)
        os.chmod(cls.root, 0o755)
        cls.a, cls.b = Syncthing(cls.root, "a"), Syncthing(cls.root, "b")
        cls.a.configure(cls.b)
        cls.b.configure(cls.a)
        for side in (cls.a, cls.b):  # B dials A, already listening
            side.start()
            cls.addClassCleanup(side.stop)
        wait_for("the two devices to connect", lambda: cls.a.connected(cls.b))
        home = os.path.join(cls.root, "finder-home")
        cls.state = os.path.join(home, "Library", "Application Support", "tessvik")
        os.makedirs(cls.state)
        cls.bridge = cls.enterClassContext(subprocess.Popen(
            [BRIDGE, "--address", f"http://127.0.0.1:{cls.a.gui}", "--api-key", cls.a.key, "--state-folder",
             cls.state]))
        cls.addClassCleanup(cls.bridge.kill)
        finder = cls.enterClassContext(
            subprocess.Popen([FINDER, "--home", home], stdout=subprocess.PIPE, text=True))
        cls.addClassCleanup(finder.kill)
        cls.badges = []  # (path, identifier), in the Finder's order
        threading.Thread(target=lambda: cls.badges.extend(
            (event["path"], event["identifier"]) for event in map(json.loads, finder.stdout)
            if event["event"] == "setBadgeIdentifier"), daemon=True).start()

    def badge(self, pattern, identifier, after=0):
        """Waits for the Finder to set `identifier` on a path matching `pattern`,
        from position `after` on; returns the position after that badge."""
        return wait_for(f"« {identifier} » on {pattern}", lambda: next(
            (i + 1 for i in range(after, len(self.badges))
             if self.badges[i][1] == identifier and re.fullmatch(pattern, self.badges[i][0])), None))

    def test_1_a_large_file_from_b_shows_syncing_then_synced(self):
        os.mkdir(os.path.join(self.b.folder, "gros"))
        aside = os.path.join(self.root, "gros.bin")  # whole before B sees it
        with open(aside, "wb") as f:
            for _ in range(25):
                f.write(os.urandom(8 << 20))
        os.rename(aside, os.path.join(self.b.folder, "gros", "gros.bin"))
        big = re.escape(os.path.join(self.a.folder, "gros", "gros.bin"))
        pulling = self.badge(big, "syncing")
        self.badge(big, "synced", pulling)
        self.badge(re.escape(os.path.join(self.a.folder, "gros")), "synced", pulling)

    def test_2_a_file_changed_on_both_sides_apart_shows_conflict(self):
        note_a, note_b = os.path.join(self.a.folder, "note.txt"), os.path.join(self.b.folder, "note.txt")
        pathlib.Path(note_b).write_text("première version\n")
        self.badge(re.escape(note_a), "synced")
        self.a.rest(f"/rest/system/pause?device={self.b.id}", "POST")
        wait_for("the devices to part", lambda: not self.a.connected(self.b))
        for side, path in ((self.a, note_a), (self.b, note_b)):
            pathlib.Path(path).write_text(f"écrit sur {path}\n")
            side.rest(f"/rest/db/scan?folder={FOLDER}", "POST")
        self.a.rest(f"/rest/system/resume?device={self.b.id}", "POST")
        self.badge(re.escape(note_a), "conflict")
        self.badge(re.escape(self.a.folder) + r"/note\.sync-conflict-\d{8}-\d{6}-[0-9A-Z]{7}\.txt", "conflict")

    def test_3_a_file_a_cannot_write_shows_error(self):
        if not AS_NOBODY:  # Syncthing makes a folder of its own user writable to pull into it
            self.skipTest("needs root, to give side A a folder of another user")
        locked = os.path.join(self.a.folder, "verrou")
        os.mkdir(locked, 0o755)  # root's
        wait_for("B to make the folder", lambda: os.path.isdir(os.path.join(self.b.folder, "verrou")))
        pathlib.Path(self.b.folder, "verrou", "refus.txt").write_text("A ne peut pas l'écrire\n")
        self.badge(re.escape(locked) + r"(/refus\.txt)?", "error")

    def test_4_on_sigterm_the_bridge_removes_its_files_and_exits_0(self):
        self.bridge.send_signal(signal.SIGTERM)
        self.assertEqual(self.bridge.wait(10), 0)
        self.assertEqual(os.listdir(self.state), [])


if __name__ == "__main__":
    if not shutil.which("syncthing"):
        sys.exit(77)
    unittest.main(failfast=True)  # each step starts from where the last left the two sides
