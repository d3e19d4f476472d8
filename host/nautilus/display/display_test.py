#!/usr/bin/env python3
"""The extension in a real file manager, on a virtual screen.

Installs the module and the emblems into a temporary folder, then starts the
file manager under Xvfb, in a mount and PID namespace of its own, on a
temporary home that holds a synced folder and a badge state file. It checks
on screenshots that every item shows the emblem of its status (by the
emblem's disc colour at the item), that the emblems follow a rewrite of the
badge state file and vanish when the file is deleted, all without user
action; and that choosing "Partager avec TessVik…" in the item's context menu
hands the handler of the tessvik scheme (registered in the temporary home)
the exact percent-encoded share URL.

The namespaces keep the test off the real system: the file managers load
extensions only from their own folder under /usr/lib, so the installed module
is bind-mounted over that folder there; the temporary home is bind-mounted
over the real user's home, which is where the extension looks for its state
folder; /tmp is a private tmpfs; and every process started (the file manager,
Xvfb, D-Bus and whatever D-Bus starts) ends with the namespace. As root
nothing else is needed; other users need unprivileged user namespaces.

Exit status: 0 passed, 1 failed, 77 skipped (no display stack or no
namespaces; set TESSVIK_DISPLAY_REQUIRED=1 to make that a failure).
"""

import argparse
import dataclasses
import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unicodedata
import urllib.parse

SKIP = 77
WORK = "/tmp/work"  # where the work folder is seen inside the namespace

# The emblems' disc colours (emblems/*.svg), by badge identifier.
DISC_COLOURS = {
    "synced": (0x34, 0xC7, 0x59),
    "syncing": (0x00, 0x7A, 0xFF),
    "conflict": (0xFF, 0x95, 0x00),
    "error": (0xFF, 0x3B, 0x30),
}
COLOUR_TOLERANCE = 36  # per channel: the disc's edge is blended
MIN_BLOB_PIXELS = 12
NEAR = 10  # pixels: an emblem this close to an item's emblem place is that item's
# From a context menu just opened to our item, chosen: in all three file
# managers the extensions' items come last but for Properties.
MENU_KEYS = ["Up", "Up", "Return"]

# The items of the synced folder, in the order the file manager lists them.
ITEMS = ["1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7 été.txt"]
SHARED_ITEM = "7 été.txt"

# Statuses by item name: every item badged, then a rewrite of the file.
FIRST_STATE = {
    "1.txt": "synced",
    "2.txt": "syncing",
    "3.txt": "conflict",
    "4.txt": "error",
    "5.txt": "synced",
    "6.txt": "syncing",
    "7 été.txt": "conflict",
}
SECOND_STATE = {
    "1.txt": "error",
    "2.txt": "synced",
    "3.txt": "",  # no badge
    "4.txt": "Synced",  # never registered: no emblem
    "6.txt": "conflict",
    "7 été.txt": "syncing",
}  # 5.txt: no longer listed


@dataclasses.dataclass
class FileManager:
    command: list
    settings: str  # GSettings keyfile: icon view, a large window


FILE_MANAGERS = {
    "nautilus": FileManager(
        command=["nautilus", "--new-window"],
        settings="[org/gnome/nautilus/preferences]\n"
        "default-folder-viewer='icon-view'\n\n"
        "[org/gnome/nautilus/window-state]\n"
        "initial-size=(1200, 700)\n",
    ),
    "nemo": FileManager(
        command=["nemo", "--geometry=1200x700+0+0"],
        settings="[org/nemo/preferences]\n"
        "default-folder-viewer='icon-view'\n"
        "show-desktop-icons=false\n",
    ),
    "caja": FileManager(
        command=["caja", "--no-desktop", "--geometry=1200x700+0+0"],
        settings="[org/mate/caja/preferences]\n"
        "default-folder-viewer='icon-view'\n\n"
        "[org/mate/caja/window-state]\n"
        "start-with-sidebar=false\n\n"
        "[org/mate/background]\n"
        "show-desktop-icons=false\n",
    ),
}


class Failure(Exception):
    pass


def log(message):
    print(f"[display] {message}", flush=True)


# ----------------------------------------------------------------- outside --


def missing_tools(file_manager):
    tools = ["Xvfb", "xdotool", "import", "dbus-daemon", "unshare", file_manager]
    return [tool for tool in tools if shutil.which(tool) is None]


def prepare(work, args):
    """Installs into work/root and lays out the temporary home in work/home."""
    env = dict(os.environ, DESTDIR=os.path.join(work, "root"))
    subprocess.run(
        [args.cmake, "--install", args.build_dir, "--component", args.file_manager],
        env=env,
        check=True,
        stdout=subprocess.DEVNULL,
    )
    module_dir = os.path.join(work, "root", args.extension_dir.lstrip("/"))
    if not os.listdir(module_dir):
        raise Failure(f"nothing installed into {module_dir}")

    home = os.path.join(work, "home")
    sync = os.path.join(home, "Sync")
    os.makedirs(sync)
    for name in ITEMS:
        open(os.path.join(sync, name), "w").close()
    os.makedirs(os.path.join(home, "Library", "Application Support", "tessvik"))
    os.makedirs(os.path.join(home, ".config", "glib-2.0", "settings"))
    with open(os.path.join(home, ".config", "glib-2.0", "settings", "keyfile"), "w") as f:
        f.write(FILE_MANAGERS[args.file_manager].settings)

    # The tessvik scheme's handler: records the URL it is given.
    recorder = os.path.join(home, ".local", "bin", "tessvik-recorder")
    os.makedirs(os.path.dirname(recorder))
    with open(recorder, "w") as f:
        f.write('#!/bin/sh\nprintf "%s" "$1" > "$HOME/shared.tmp" && mv "$HOME/shared.tmp" "$HOME/shared"\n')
    os.chmod(recorder, 0o755)
    applications = os.path.join(home, ".local", "share", "applications")
    os.makedirs(applications)
    with open(os.path.join(applications, "tessvik-recorder.desktop"), "w") as f:
        f.write(
            "[Desktop Entry]\nType=Application\nName=TessVik recorder\n"
            "Exec=HOME_PLACEHOLDER/.local/bin/tessvik-recorder %u\n"
            "MimeType=x-scheme-handler/tessvik;\nNoDisplay=true\n"
        )
    with open(os.path.join(home, ".config", "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\nx-scheme-handler/tessvik=tessvik-recorder.desktop\n")


def run_outside(args):
    missing = missing_tools(args.file_manager)
    if missing:
        return skip(f"missing: {' '.join(missing)}")
    artifacts = os.path.join(args.build_dir, "display-artifacts", args.file_manager)
    shutil.rmtree(artifacts, ignore_errors=True)
    # Not under /tmp: inside the namespace /tmp is a fresh tmpfs.
    work = tempfile.mkdtemp(prefix=f"display-{args.file_manager}-",
                            dir=os.path.abspath(args.build_dir))
    try:
        prepare(work, args)
        unshare = ["unshare", "--mount", "--pid", "--fork", "--mount-proc"]
        if os.geteuid() != 0:
            unshare[1:1] = ["--user", "--map-root-user"]
        probe = subprocess.run(unshare + ["true"], capture_output=True)
        if probe.returncode != 0:
            return skip(f"no namespaces: {probe.stderr.decode().strip()}")
        inside = [sys.executable, os.path.abspath(__file__), "--inside", work] + sys.argv[1:]
        result = subprocess.run(unshare + inside, timeout=args.timeout)
        if result.returncode != 0:
            shutil.copytree(os.path.join(work, "shots"), artifacts, dirs_exist_ok=True)
            log(f"screenshots and logs kept in {artifacts}")
        return result.returncode
    except subprocess.TimeoutExpired:
        log(f"timed out after {args.timeout} s")
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


def skip(reason):
    if os.environ.get("TESSVIK_DISPLAY_REQUIRED") == "1":
        log(f"cannot run: {reason}")
        return 1
    log(f"skipped: {reason}")
    return SKIP


# ------------------------------------------------------------------ inside --


def mount(*args):
    subprocess.run(["mount", *args], check=True)


def cover_with(layer, target):
    """Makes `target` (a folder that may not exist) show `layer`'s content
    inside this mount namespace, leaving everything beside it in place."""
    if os.path.isdir(target):
        mount("--bind", layer, target)
        return
    # Nothing may be created outside the namespace: the nearest existing
    # parent is covered by a copy made of links to what it holds (reached
    # through a second mount of it) and of the missing folders down to
    # `target`.
    parent = os.path.dirname(target)
    while not os.path.isdir(parent):
        parent = os.path.dirname(parent)
    original = os.path.join(WORK, "original" + parent.replace("/", "_"))
    copy = os.path.join(WORK, "copy" + parent.replace("/", "_"))
    os.makedirs(original)
    os.makedirs(copy)
    mount("--bind", parent, original)
    for entry in os.listdir(original):
        os.symlink(os.path.join(original, entry), os.path.join(copy, entry))
    os.makedirs(target.replace(parent, copy, 1))
    mount("--bind", layer, target.replace(parent, copy, 1))
    mount("--rbind", copy, parent)


def enter(args):
    """Inside the namespace: private /tmp, module and home in place."""
    work = args.inside
    real_home = pwd.getpwuid(os.getuid()).pw_dir
    mount("-t", "tmpfs", "tmpfs", "/tmp")
    os.makedirs(WORK)
    mount("--bind", work, WORK)
    os.makedirs(os.path.join(WORK, "shots"))
    cover_with(os.path.join(WORK, "root", args.extension_dir.lstrip("/")), args.extension_dir)
    mount("--bind", os.path.join(WORK, "home"), real_home)
    desktop = os.path.join(real_home, ".local/share/applications/tessvik-recorder.desktop")
    with open(desktop) as f:
        text = f.read()
    with open(desktop, "w") as f:
        f.write(text.replace("HOME_PLACEHOLDER", real_home))
    runtime = "/tmp/runtime"
    os.makedirs(runtime, mode=0o700)
    env = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": real_home,
        "USER": pwd.getpwuid(os.getuid()).pw_name,
        "LANG": "C.UTF-8",
        "XDG_CONFIG_HOME": os.path.join(real_home, ".config"),
        "XDG_DATA_HOME": os.path.join(real_home, ".local/share"),
        "XDG_CACHE_HOME": os.path.join(real_home, ".cache"),
        "XDG_RUNTIME_DIR": runtime,
        "XDG_DATA_DIRS": os.path.join(WORK, "root", args.prefix.lstrip("/"), "share")
        + ":/usr/local/share:/usr/share",
        "GSETTINGS_BACKEND": "keyfile",
        "NO_AT_BRIDGE": "1",
        "GTK_A11Y": "none",
        # No OpenGL on a virtual screen: software GL would first compile
        # every shader, which takes minutes on a small machine.
        "GSK_RENDERER": "cairo",
    }
    return real_home, env


def read_line(fd):
    """The first line written to the pipe `fd` (closed afterwards), without
    its end: the writer may write it in pieces."""
    data = b""
    while not data.endswith(b"\n"):
        chunk = os.read(fd, 256)
        if not chunk:
            break
        data += chunk
    os.close(fd)
    return data.decode().strip()


class Session:
    """Xvfb, a session bus and the file manager, ended in reverse order."""

    def __init__(self, env, file_manager, folder):
        self.env = dict(env)
        self.processes = []
        read_end, write_end = os.pipe()
        self.start(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
             "-nolisten", "tcp"],
            pass_fds=[write_end],
        )
        os.close(write_end)
        display = read_line(read_end)
        if not display:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        read_end, write_end = os.pipe()
        self.start(
            ["dbus-daemon", "--session", "--nofork", f"--print-address={write_end}"],
            pass_fds=[write_end],
        )
        os.close(write_end)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(read_end)
        self.log = open(os.path.join(WORK, "shots", "file-manager.log"), "w")
        self.start(file_manager.command + [folder], stdout=self.log, stderr=subprocess.STDOUT)

    def file_manager_exit(self):
        """The file manager's exit status, or None while it runs."""
        return self.processes[-1].poll()

    def start(self, command, **kwargs):
        self.processes.append(subprocess.Popen(command, env=self.env, **kwargs))

    def run(self, *command):
        subprocess.run(command, env=self.env, check=True)

    def close(self):
        for process in reversed(self.processes):
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        self.log.close()


def screenshot(session, name=None):
    """The screen as (width, height, RGB bytes), kept as shots/<name>.png
    when named."""
    ppm = subprocess.run(
        ["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
        env=session.env, check=True, capture_output=True,
    ).stdout
    if name is not None:
        keep(ppm, name)
    fields, offset = [], 0
    while len(fields) < 4:  # P6 width height maxval, blank-separated
        while ppm[offset:offset + 1].isspace():
            offset += 1
        end = offset
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[offset:end])
        offset = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure(f"unexpected screenshot format {fields}")
    return int(fields[1]), int(fields[2]), ppm[offset + 1:], ppm


def keep(ppm, name):
    subprocess.run(
        ["convert", "ppm:-", os.path.join(WORK, "shots", name + ".png")], input=ppm, check=True
    )


def colour_pattern(colour):
    """A regular expression for one pixel near `colour`, as a lookahead so
    that every offset is tried."""
    parts = []
    for channel in colour:
        low = max(0, channel - COLOUR_TOLERANCE)
        high = min(255, channel + COLOUR_TOLERANCE)
        parts.append(b"[" + re.escape(bytes([low])) + b"-" + re.escape(bytes([high])) + b"]")
    return re.compile(b"(?=" + b"".join(parts) + b")", re.DOTALL)


PATTERNS = {status: colour_pattern(colour) for status, colour in DISC_COLOURS.items()}


def emblems_on_screen(shot):
    """Every disc of an emblem colour: (status, x, y) at its centre. The
    white mark may cut a disc's colour in pieces: pieces whose bounding boxes
    touch are one disc."""
    width, height, pixels, _ = shot
    blobs = []
    for status, pattern in PATTERNS.items():
        matched = {m.start() // 3 for m in pattern.finditer(pixels) if m.start() % 3 == 0}
        pieces = []  # [left, top, right, bottom, sum of x, sum of y, count]
        while matched:
            stack, xs, ys = [matched.pop()], [], []
            while stack:
                index = stack.pop()
                x, y = index % width, index // width
                xs.append(x)
                ys.append(y)
                for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                    neighbour = ny * width + nx
                    if 0 <= nx < width and 0 <= ny < height and neighbour in matched:
                        matched.remove(neighbour)
                        stack.append(neighbour)
            pieces.append([min(xs), min(ys), max(xs), max(ys), sum(xs), sum(ys), len(xs)])
        merged = True
        while merged:
            merged = False
            for i, a in enumerate(pieces):
                for b in pieces[i + 1:]:
                    if (a[0] - 3 <= b[2] and b[0] - 3 <= a[2]
                            and a[1] - 3 <= b[3] and b[1] - 3 <= a[3]):
                        a[:] = [min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]),
                                max(a[3], b[3]), a[4] + b[4], a[5] + b[5], a[6] + b[6]]
                        pieces.remove(b)
                        merged = True
                        break
                if merged:
                    break
        for piece in pieces:
            if piece[6] >= MIN_BLOB_PIXELS:
                blobs.append((status, piece[4] / piece[6], piece[5] / piece[6]))
    return blobs


def in_listing_order(blobs):
    """Blobs by rows (top to bottom), each row left to right."""
    rows = []
    for blob in sorted(blobs, key=lambda b: b[2]):
        if rows and abs(rows[-1][0][2] - blob[2]) <= NEAR:
            rows[-1].append(blob)
        else:
            rows.append([blob])
    return [blob for row in rows for blob in sorted(row, key=lambda b: b[1])]


def describe(blobs):
    return ", ".join(f"{s}@({x:.0f},{y:.0f})" for s, x, y in blobs) or "none"


def wait_for(session, name, check, timeout):
    """Takes screenshots until `check(blobs)` returns None (all well) or the
    time is up; then fails with what `check` said last."""
    started = time.monotonic()
    while True:
        if session.file_manager_exit() is not None:
            raise Failure(f"{name}: the file manager ended ({session.file_manager_exit()})")
        shot = screenshot(session)
        blobs = emblems_on_screen(shot)
        problem = check(blobs)
        elapsed = time.monotonic() - started
        if problem is None:
            keep(shot[3], name)
            log(f"{name}: ok after {elapsed:.1f} s: {describe(blobs)}")
            return blobs
        if elapsed > timeout:
            keep(shot[3], name)
            raise Failure(f"{name}: {problem}; on screen: {describe(blobs)}")
        time.sleep(0.2)


def write_state(real_home, statuses, root):
    """Writes the badge state file whole, as the sync client does: the key of
    the accented item decomposed (NFD), while the file system holds it
    precomposed."""
    files = {unicodedata.normalize("NFD", name): s for name, s in statuses.items()}
    folder = os.path.join(real_home, "Library", "Application Support", "tessvik")
    temporary = os.path.join(folder, ".badges.json.tmp")
    with open(temporary, "w", encoding="utf-8") as f:
        json.dump({"root": root, "files": files}, f, ensure_ascii=False)
    os.rename(temporary, os.path.join(folder, "badges.json"))


def run_inside(args):
    real_home, env = enter(args)
    root = os.path.join(real_home, "Sync")
    file_manager = FILE_MANAGERS[args.file_manager]
    write_state(real_home, FIRST_STATE, root)
    session = Session(env, file_manager, root)
    try:
        # Every item badged: where each item's emblem sits, in listing order.
        def all_badged(blobs):
            if len(blobs) != len(ITEMS):
                return f"expected {len(ITEMS)} emblems"
            for item, blob in zip(ITEMS, in_listing_order(blobs)):
                if blob[0] != FIRST_STATE[item]:
                    return f"{item} shows {blob[0]}, expected {FIRST_STATE[item]}"
            return None

        blobs = wait_for(session, "first-state", all_badged, args.start_timeout)
        places = {item: (x, y) for item, (_, x, y) in zip(ITEMS, in_listing_order(blobs))}

        def exactly(expected):
            def check(blobs):
                for item, (x, y) in places.items():
                    here = [s for s, bx, by in blobs if abs(bx - x) <= NEAR and abs(by - y) <= NEAR]
                    want = [expected[item]] if expected.get(item) else []
                    if here != want:
                        return f"{item} shows {here or 'nothing'}, expected {want or 'nothing'}"
                if len(blobs) != sum(1 for s in expected.values() if s):
                    return "emblems away from every item"
                return None

            return check

        check_share(session, real_home, places[SHARED_ITEM])
        session.run("xdotool", "key", "Escape")

        visible = {k: v for k, v in SECOND_STATE.items() if v in DISC_COLOURS}
        write_state(real_home, SECOND_STATE, root)
        wait_for(session, "second-state", exactly(visible), args.change_timeout)

        os.remove(os.path.join(real_home, "Library", "Application Support", "tessvik",
                               "badges.json"))
        wait_for(session, "state-file-deleted", exactly({}), args.change_timeout)
        log("passed")
        return 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        session.close()


def check_share(session, real_home, place):
    """Opens the item's context menu, chooses our item with the keyboard and
    reads what the tessvik scheme's handler was given."""
    x, y = (round(v) for v in place)
    session.run("xdotool", "mousemove", str(x), str(y), "click", "3")
    time.sleep(1.5)
    screenshot(session, "context-menu")
    for key in MENU_KEYS:
        session.run("xdotool", "key", key)
        time.sleep(0.3)
    shared = os.path.join(real_home, "shared")
    expected = "tessvik://share?path=" + urllib.parse.quote(
        os.path.join(real_home, "Sync", SHARED_ITEM), safe="/"
    )
    deadline = time.monotonic() + 10
    while not os.path.exists(shared):
        if time.monotonic() > deadline:
            screenshot(session, "share-failed")
            raise Failure("share: the tessvik handler was never started")
        time.sleep(0.2)
    with open(shared, encoding="utf-8", errors="surrogateescape") as f:
        url = f.read()
    if url != expected:
        raise Failure(f"share: handler got {url!r}, expected {expected!r}")
    log(f"share: handler got {url}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--file-manager", choices=sorted(FILE_MANAGERS), default="nautilus")
    parser.add_argument("--extension-dir", required=True,
                        help="the folder the file manager loads extensions from")
    parser.add_argument("--prefix", required=True, help="CMAKE_INSTALL_PREFIX")
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--start-timeout", type=float, default=60)
    parser.add_argument("--change-timeout", type=float, default=15)
    parser.add_argument("--timeout", type=float, default=240)
    parser.add_argument("--inside", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.inside:
        return run_inside(args)
    return run_outside(args)


if __name__ == "__main__":
    sys.exit(main())
