#!/usr/bin/env python3
"""The extension in a real file manager, on a virtual screen.

Installs the module and the emblems into a temporary folder, then starts the
file manager under Xvfb (sandbox.py) on a temporary home that holds a synced
folder and a badge state file. Checks on screenshots (screen.py) that every
item shows the emblem of its status, that the emblems follow a rewrite of the
badge state file and vanish when the file is deleted, without user action;
and that choosing "Partager avec TessVik…" in an item's context menu hands
the tessvik scheme's handler, registered in the temporary home, the exact
percent-encoded share URL.

Exit status: 0 passed, 1 failed, 77 skipped (no display stack or no
namespaces; TESSVIK_DISPLAY_REQUIRED=1 makes that a failure). On failure the
screenshots and the session's output are kept in
<build>/display-artifacts/<file manager>/.
"""

import argparse
import dataclasses
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata
import urllib.parse

import sandbox
import screen

SKIP = 77
SHOTS = os.path.join(sandbox.WORK, "shots")

# The items of the synced folder, in the order the file manager lists them.
ITEMS = ["1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7 été.txt"]
SHARED_ITEM = "7 été.txt"  # a space and accents: percent-encoded in the URL

# Statuses by item: every item badged first, then a rewrite of the file.
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

NEAR = 10  # pixels: an emblem this close to an item's emblem place is that item's
# From a context menu just opened to our item, chosen: in all three file
# managers the extensions' items come last but for Properties.
MENU_KEYS = ["Up", "Up", "Return"]


@dataclasses.dataclass
class FileManager:
    command: list
    settings: str  # GSettings keyfile: grid view, a large window, no desktop


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
        # The side pane's icons have colours close to the emblems'.
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


# ----------------------------------------------- outside the namespaces --


def run_outside(args):
    tools = ["Xvfb", "xdotool", "import", "convert", "dbus-daemon", "unshare", args.file_manager]
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        return skip(f"missing: {' '.join(missing)}")
    probe = subprocess.run(sandbox.unshare_command() + ["true"], capture_output=True)
    if probe.returncode != 0:
        return skip(f"no namespaces: {probe.stderr.decode().strip()}")
    artifacts = os.path.join(args.build_dir, "display-artifacts", args.file_manager)
    shutil.rmtree(artifacts, ignore_errors=True)
    # Not under /tmp: inside the namespaces /tmp is a fresh tmpfs.
    work = tempfile.mkdtemp(prefix=f"display-{args.file_manager}-",
                            dir=os.path.abspath(args.build_dir))
    try:
        prepare(work, args)
        inside = [sys.executable, os.path.abspath(__file__), "--inside", work] + sys.argv[1:]
        result = subprocess.run(sandbox.unshare_command() + inside, timeout=args.timeout)
        if result.returncode != 0:
            shutil.copytree(os.path.join(work, "shots"), artifacts, dirs_exist_ok=True)
            log(f"screenshots and output kept in {artifacts}")
        return result.returncode
    except subprocess.TimeoutExpired:
        log(f"timed out after {args.timeout} s")
        return 1
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


def skip(reason):
    if os.environ.get("TESSVIK_DISPLAY_REQUIRED") == "1":
        log(f"cannot run: {reason}")
        return 1
    log(f"skipped: {reason}")
    return SKIP


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(path, mode)


def prepare(work, args):
    """Installs into work/root and lays out the temporary home in work/home:
    the synced folder, the empty state folder, the file manager's settings,
    and a handler for the tessvik scheme that records the URL it is given."""
    subprocess.run(
        [args.cmake, "--install", args.build_dir, "--component", args.file_manager],
        env=dict(os.environ, DESTDIR=os.path.join(work, "root")),
        check=True, stdout=subprocess.DEVNULL,
    )
    if not os.listdir(os.path.join(work, "root", args.extension_dir.lstrip("/"))):
        raise Failure("the module was not installed")
    os.makedirs(os.path.join(work, "shots"))
    home = os.path.join(work, "home")
    for name in ITEMS:
        write(os.path.join(home, "Sync", name), "")
    os.makedirs(os.path.join(home, "Library", "Application Support", "tessvik"))
    write(os.path.join(home, ".config", "glib-2.0", "settings", "keyfile"),
          FILE_MANAGERS[args.file_manager].settings)
    write(os.path.join(home, ".local", "bin", "tessvik-recorder"),
          '#!/bin/sh\nprintf "%s" "$1" > "$HOME/shared.tmp" && mv "$HOME/shared.tmp" "$HOME/shared"\n',
          0o755)
    write(os.path.join(home, ".local", "share", "applications", "tessvik-recorder.desktop"),
          "[Desktop Entry]\nType=Application\nName=TessVik recorder\n"
          "Exec=tessvik-recorder %u\nMimeType=x-scheme-handler/tessvik;\nNoDisplay=true\n")
    write(os.path.join(home, ".config", "mimeapps.list"),
          "[Default Applications]\nx-scheme-handler/tessvik=tessvik-recorder.desktop\n")


# ------------------------------------------------ inside the namespaces --


def run_inside(args):
    real_home, env = sandbox.enter(args.inside, args.extension_dir, args.prefix)
    env["PATH"] = os.path.join(real_home, ".local", "bin") + ":" + env["PATH"]
    root = os.path.join(real_home, "Sync")
    write_state(real_home, FIRST_STATE, root)
    session = sandbox.Session(env, FILE_MANAGERS[args.file_manager].command + [root],
                              os.path.join(SHOTS, "session.log"))
    try:
        places = check_first_state(session, args.start_timeout)
        check_share(session, real_home, places[SHARED_ITEM])
        session.run("xdotool", "key", "Escape")

        write_state(real_home, SECOND_STATE, root)
        visible = {item: s for item, s in SECOND_STATE.items() if s in screen.DISC_COLOURS}
        wait_for(session, "second-state", exactly(places, visible), args.change_timeout)

        os.remove(state_file(real_home))
        wait_for(session, "state-file-deleted", exactly(places, {}), args.change_timeout)
        log("passed")
        return 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        session.close()


def state_file(real_home):
    return os.path.join(real_home, "Library", "Application Support", "tessvik", "badges.json")


def write_state(real_home, statuses, root):
    """Replaces the badge state file whole, as the sync client does. The key
    of the accented item is decomposed (NFD), while the file system holds its
    name precomposed: the two must match all the same."""
    files = {unicodedata.normalize("NFD", name): s for name, s in statuses.items()}
    temporary = state_file(real_home) + ".tmp"
    write(temporary, json.dumps({"root": root, "files": files}, ensure_ascii=False))
    os.rename(temporary, state_file(real_home))


def wait_for(session, name, check, timeout):
    """Takes screenshots until `check(emblems)` finds nothing wrong, or fails
    with what it found wrong last once `timeout` seconds have passed."""
    started = time.monotonic()
    while True:
        if session.file_manager_exit() is not None:
            raise Failure(f"{name}: the file manager ended ({session.file_manager_exit()})")
        shot = screen.take_screenshot(session.env)
        emblems = screen.emblems_on_screen(shot)
        problem = check(emblems)
        elapsed = time.monotonic() - started
        if problem is None or elapsed > timeout:
            shot.save(os.path.join(SHOTS, name + ".png"))
        if problem is None:
            log(f"{name}: ok after {elapsed:.1f} s: {screen.describe(emblems)}")
            return emblems
        if elapsed > timeout:
            raise Failure(f"{name}: {problem}; on screen: {screen.describe(emblems)}")
        time.sleep(0.2)


def check_first_state(session, timeout):
    """Every item badged, each with its own status in listing order. Returns
    where each item's emblem sits."""

    def all_badged(emblems):
        if len(emblems) != len(ITEMS):
            return f"expected {len(ITEMS)} emblems"
        for item, (status, _, _) in zip(ITEMS, screen.in_listing_order(emblems)):
            if status != FIRST_STATE[item]:
                return f"{item} shows {status}, expected {FIRST_STATE[item]}"
        return None

    emblems = wait_for(session, "first-state", all_badged, timeout)
    return {item: (x, y) for item, (_, x, y) in zip(ITEMS, screen.in_listing_order(emblems))}


def exactly(places, expected):
    """A check: the item at each place shows the emblem of its status in
    `expected` (or none), and no emblem shows anywhere else."""

    def check(emblems):
        for item, (x, y) in places.items():
            here = [s for s, ex, ey in emblems if abs(ex - x) <= NEAR and abs(ey - y) <= NEAR]
            want = [expected[item]] if item in expected else []
            if here != want:
                return f"{item} shows {here or 'nothing'}, expected {want or 'nothing'}"
        if len(emblems) != len(expected):
            return "emblems away from every item"
        return None

    return check


def check_share(session, real_home, place):
    """Opens the item's context menu, chooses our item with the keyboard and
    reads what the tessvik scheme's handler was given."""
    x, y = (round(v) for v in place)
    session.run("xdotool", "mousemove", str(x), str(y), "click", "3")
    time.sleep(1.5)
    screen.take_screenshot(session.env).save(os.path.join(SHOTS, "context-menu.png"))
    for key in MENU_KEYS:
        session.run("xdotool", "key", key)
        time.sleep(0.3)
    expected = "tessvik://share?path=" + urllib.parse.quote(
        os.path.join(real_home, "Sync", SHARED_ITEM), safe="/")
    shared = os.path.join(real_home, "shared")
    deadline = time.monotonic() + 10
    while not os.path.exists(shared):
        if time.monotonic() > deadline:
            screen.take_screenshot(session.env).save(os.path.join(SHOTS, "share-failed.png"))
            raise Failure("share: the tessvik handler was never started")
        time.sleep(0.2)
    with open(shared, encoding="utf-8", errors="surrogateescape") as f:
        url = f.read()
    if url != expected:
        raise Failure(f"share: the handler got {url!r}, expected {expected!r}")
    log(f"share: the handler got {url}")


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
    return run_inside(args) if args.inside else run_outside(args)


if __name__ == "__main__":
    sys.exit(main())
