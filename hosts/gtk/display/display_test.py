#!/usr/bin/env python3
# The extension in a real file manager, on a virtual screen.
#
# Installs the module (Dolphin: the plugins) and the emblems into a temporary
# folder, then starts the file manager under Xvfb (sandbox.py), in grid or
# list view (Dolphin's icons or details), on a temporary
# home that holds a synced folder, a folder beside it and a badge state file.
# Checks on screenshots (screen.py) that every item shows the emblem of its
# status, that the emblems follow a rewrite of the badge state file and vanish
# when the file is deleted, without user action; that choosing "Partager avec
# TessVik…" in an item's context menu hands the tessvik scheme's handler,
# registered in the temporary home, the exact percent-encoded share URL; that
# once that handler cannot start, choosing it again shows a desktop
# notification naming the item (caught on the session bus); and that an
# item's menu outside the synced folder is shorter by that item.
#
# Exit status: 0 passed, 1 failed, 77 skipped (no display stack or no
# namespaces; TESSVIK_DISPLAY_REQUIRED=1 makes that a failure). The
# screenshots of each step and the session's output are kept, pass or fail,
# in <build>/display-artifacts/<file manager>-<view>/.
#
# Links, both ways: in grid view the badge state file names its root through
# a link (~/LinkRoot -> ~/Sync) and the window shows the real folder; in list
# view the root is ~/Sync and the window shows it through a link (~/ViaLink).
# Either way the share URL names the item under the root as the file writes
# it.

import argparse
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
# Where the file-manager hosts read the badge state files, under the home.
STATE_FOLDER = os.path.join(".local", "state", "tessvik")  # no XDG_STATE_HOME is set

# The items of the synced folder with their statuses, in the order the file
# manager lists them: every item badged first; then a rewrite of the file.
FIRST_STATE = {"1.txt": "synced", "2.txt": "syncing", "3.txt": "conflict", "4.txt": "error",
               "5.txt": "synced", "6.txt": "syncing", "7 été.txt": "conflict"}
SECOND_STATE = {"1.txt": "error", "2.txt": "synced", "3.txt": "",  # "": no badge
                "4.txt": "Synced",  # never registered: no emblem
                "6.txt": "conflict", "7 été.txt": "syncing"}  # 5.txt: no longer listed
ITEMS = list(FIRST_STATE)
SHARED_ITEM = "7 été.txt"  # a space and accents: percent-encoded in the URL

NEAR = 10  # pixels: an emblem this close to an item's emblem place is that item's
MAX_SHIFT = 16  # pixels: the most the view may move between two screenshots
# From a context menu just opened to our item, chosen: in all three file
# managers the extensions' items come last but for Properties.
MENU_KEYS = ["Up", "Up", "Return"]
OUTSIDE_ITEM = "Autre/1.txt"  # beside the synced folder: no share item
MENU_ROWS = (12, 80)  # pixels: a menu one item (and its separator) shorter

# Each file manager's command and GSettings keyfile: the view ({viewer}), a
# large window, no desktop. Dolphin has no GSettings: its view is chosen by
# key, its window sized once it shows.
FILE_MANAGERS = {
    "nautilus": (["nautilus", "--new-window"],
                 "[org/gnome/nautilus/preferences]\ndefault-folder-viewer='{viewer}'\n\n"
                 "[org/gnome/nautilus/window-state]\ninitial-size=(1200, 700)\n"),
    "nemo": (["nemo", "--geometry=1200x700+0+0"],
             "[org/nemo/preferences]\ndefault-folder-viewer='{viewer}'\nshow-desktop-icons=false\n"),
    # (Caja's side pane has icons of colours close to the emblems'.)
    "caja": (["caja", "--no-desktop", "--geometry=1200x700+0+0"],
             "[org/mate/caja/preferences]\ndefault-folder-viewer='{viewer}'\n\n"
             "[org/mate/caja/window-state]\nstart-with-sidebar=false\n\n"
             "[org/mate/background]\nshow-desktop-icons=false\n"),
    "dolphin": (["dolphin", "--new-window"], ""),
}
VIEWERS = {"grid": "icon-view", "list": "list-view"}  # the same names in all three
DOLPHIN_VIEW_KEYS = {"grid": "ctrl+1", "list": "ctrl+3"}
NOBODY = 65534  # Dolphin will not run as root: run as root, it runs as nobody


class Failure(Exception): pass


def log(message):
    print(f"[display] {message}", flush=True)


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(path, mode)


# ----------------------------------------------- outside the namespaces --


def run_outside(args):
    tools = ["Xvfb", "xdotool", "import", "convert", "dbus-daemon", "dbus-monitor", "unshare", "setpriv",
             "dbus-run-session",
             args.file_manager]
    missing = " ".join(tool for tool in tools if shutil.which(tool) is None)
    reason = missing and f"missing: {missing}"
    if not missing:
        probe = subprocess.run(sandbox.unshare_command() + ["true"], capture_output=True)
        reason = probe.returncode and f"no namespaces: {probe.stderr.decode().strip()}"
    if reason:
        required = os.environ.get("TESSVIK_DISPLAY_REQUIRED") == "1"
        log(f"cannot run: {reason}" if required else f"skipped: {reason}")
        return 1 if required else SKIP
    artifacts = os.path.join(args.build_dir, "display-artifacts", f"{args.file_manager}-{args.view}")
    shutil.rmtree(artifacts, ignore_errors=True)
    # Not under /tmp: inside the namespaces /tmp is a fresh tmpfs.
    work = tempfile.mkdtemp(prefix=f"display-{args.file_manager}-", dir=os.path.abspath(args.build_dir))
    try:
        prepare(work, args)
        inside = [sys.executable, os.path.abspath(__file__), "--inside", work] + sys.argv[1:]
        return subprocess.run(sandbox.unshare_command() + inside, timeout=240).returncode
    except (subprocess.TimeoutExpired, Failure) as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        if os.path.isdir(os.path.join(work, "shots")):
            shutil.copytree(os.path.join(work, "shots"), artifacts)
            log(f"screenshots and output kept in {artifacts}")
        shutil.rmtree(work, ignore_errors=True)


# Installs into work/root and lays out the temporary home in work/home:
# the synced folder and one beside it, the empty state folder, the file
# manager's settings, and a handler for the tessvik scheme that records the
# URL it is given.
def prepare(work, args):
    for component in (args.file_manager, "emblems"):
        subprocess.run([args.cmake, "--install", args.build_dir, "--component", component],
                       env=dict(os.environ, DESTDIR=os.path.join(work, "root")),
                       check=True, stdout=subprocess.DEVNULL)
    os.makedirs(os.path.join(work, "shots"))
    home = os.path.join(work, "home")
    os.makedirs(os.path.join(home, STATE_FOLDER))
    for path in [os.path.join("Sync", name) for name in ITEMS] + [OUTSIDE_ITEM]:
        write(os.path.join(home, path), "")
    for link in ("LinkRoot", "ViaLink"):  # (no name begins another: the entry completes)
        os.symlink("Sync", os.path.join(home, link))
    # Menus show their items' icons, as MATE's and Cinnamon's settings
    # daemons have GTK 3 do.
    write(os.path.join(home, ".config/gtk-3.0/settings.ini"), "[Settings]\ngtk-menu-images=1\n")
    if FILE_MANAGERS[args.file_manager][1]:
        write(os.path.join(home, ".config/glib-2.0/settings/keyfile"),
              FILE_MANAGERS[args.file_manager][1].format(viewer=VIEWERS[args.view]))
    write(os.path.join(home, ".local/bin/tessvik-recorder"),
          '#!/bin/sh\nprintf "%s" "$1" > "$HOME/shared.tmp" && mv "$HOME/shared.tmp" "$HOME/shared"\n',
          0o755)
    write(os.path.join(home, ".local/share/applications/tessvik-recorder.desktop"),
          "[Desktop Entry]\nType=Application\nName=TessVik recorder\n"
          "Exec=tessvik-recorder %u\nMimeType=x-scheme-handler/tessvik;\nNoDisplay=true\n")
    write(os.path.join(home, ".config/mimeapps.list"),
          "[Default Applications]\nx-scheme-handler/tessvik=tessvik-recorder.desktop\n")


# ------------------------------------------------ inside the namespaces --


def run_inside(args):
    home, env = sandbox.enter(args.inside, os.path.join(args.prefix, args.extension_dir), args.read_dir,
                              args.prefix)
    state_file = os.path.join(home, STATE_FOLDER, "badges.json")
    # The root as the badge state file writes it, and the folder the window
    # shows: the same folder, one of them through a link.
    root, shown = ((os.path.join(home, "LinkRoot"), os.path.join(home, "Sync")) if args.view == "grid"
                   else (os.path.join(home, "Sync"), os.path.join(home, "ViaLink")))
    # The desktop notifications sent on the file manager's session bus, as
    # dbus-monitor prints them.
    notifications = os.path.join(SHOTS, "notifications.log")
    command = ["sh", "-c", 'dbus-monitor --session "interface=org.freedesktop.Notifications" '
               '> "$0" 2>/dev/null & exec "$@"', notifications] + FILE_MANAGERS[args.file_manager][0] + [shown]
    if args.file_manager == "dolphin":
        plugins = os.path.join(sandbox.WORK, "root", os.path.join(args.prefix, args.extension_dir).lstrip("/"))
        # (nobody's home is /nonexistent: the XDG folders say where its own is.)
        env.update(QT_PLUGIN_PATH=plugins, QT_QPA_PLATFORM="xcb",
                   QT_LOGGING_RULES="com.tessvik.tessvik.finder.badges.info=true",
                   **{f"XDG_{kind}_HOME": os.path.join(home, path) for kind, path in (
                       ("STATE", ".local/state"), ("CONFIG", ".config"), ("DATA", ".local/share"),
                       ("CACHE", ".cache"))})
        command = ["dbus-run-session", "--"] + command
        if os.geteuid() == 0:
            os.chmod(sandbox.WORK, 0o755)
            for path in (home, "/tmp/runtime", SHOTS):
                subprocess.run(["chown", "-R", f"{NOBODY}:{NOBODY}", path], check=True)
            command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + command

    def write_state(statuses):
        # Whole, as the sync client does. The accented item's key is
        # decomposed (NFD) while the file system holds its name precomposed:
        # the two must match all the same.
        files = {unicodedata.normalize("NFD", name): s for name, s in statuses.items()}
        write(state_file + ".tmp", json.dumps({"root": root, "files": files}, ensure_ascii=False))
        os.rename(state_file + ".tmp", state_file)

    write_state(FIRST_STATE)
    session_log_path = os.path.join(SHOTS, "session.log")
    with open(session_log_path, "w") as session_log:
        try:
            file_manager, emblems = start_showing_first_state(args, env, command, session_log)
            places = {item: (x, y) for item, (_, x, y) in zip(ITEMS, screen.in_listing_order(emblems))}
            menu_height = check_share(env, home, places[SHARED_ITEM], os.path.join(root, SHARED_ITEM))
            write_state(SECOND_STATE)
            visible = {item: s for item, s in SECOND_STATE.items() if s in screen.EMBLEM_COLOURS}
            wait_for(file_manager, env, "second-state", exactly(places, visible), 15)
            check_no_share_outside(env, home, places[ITEMS[0]], menu_height)
            go_to(env, shown)
            wait_for(file_manager, env, "back-in-synced-folder", exactly(places, visible), 15)
            check_failed_share(env, home, places[SHARED_ITEM], SHARED_ITEM, notifications)
            os.remove(state_file)
            wait_for(file_manager, env, "state-file-deleted", exactly(places, {}), 15)
        except Failure as failure:
            log(f"FAILED: {failure}; the session's last lines:")
            subprocess.run(["tail", "-n", "15", session_log_path])
            return 1
    log("passed")
    return 0


# Starts the session and waits for every item's first emblem; returns the
# file manager's process and the emblems. A file manager that exits by
# itself before that (Nautilus once did, with status 1, on a loaded CI
# machine) is started once more in a new session; one ended by a signal,
# which is how a fault in our module would end it, never is.
def start_showing_first_state(args, env, command, session_log):
    first = list(FIRST_STATE.values())  # every item badged, in listing order
    for attempt in (1, 2):
        file_manager = sandbox.start_session(env, command, session_log)
        if args.file_manager == "dolphin":
            # A click beside the items gives the view the keys and clears
            # the selection (no Escape: it would stop the folder loading).
            time.sleep(3)  # (before, only a hidden window of Dolphin's may be found)
            xdotool(env, "search", "--sync", "--onlyvisible", "--class", "dolphin",
                    "windowsize", "--sync", "1200", "700",
                    "sleep", "1", "mousemove", "900", "500", "click", "1",
                    "key", DOLPHIN_VIEW_KEYS[args.view], "sleep", "1", "click", "1")
        try:
            return file_manager, wait_for(file_manager, env, "first-state", lambda emblems: None if [
                s for s, _, _ in screen.in_listing_order(emblems)] == first else f"expected {first}", 60)
        except Failure:
            if attempt == 2 or file_manager.returncode is None or file_manager.returncode < 0:
                raise
            log(f"the file manager exited ({file_manager.returncode}) before showing the folder; "
                "starting a new session (the first one's output stays in session.log)")


# Takes screenshots until `check(emblems)` finds nothing wrong, or fails
# with what it found wrong last once `timeout` seconds have passed; the last
# screenshot is kept either way.
def wait_for(file_manager, env, name, check, timeout):
    deadline = time.monotonic() + timeout
    while file_manager.poll() is None:
        shot = screen.Shot(env)
        emblems = screen.emblems_on_screen(shot)
        problem = check(emblems)
        late = time.monotonic() > deadline
        if problem is None or late:
            shot.save(os.path.join(SHOTS, name + ".png"))
            if late and problem:
                raise Failure(f"{name}: {problem}; on screen: {screen.describe(emblems)}")
            log(f"{name}: ok: {screen.describe(emblems)}")
            return emblems
        time.sleep(0.2)
    raise Failure(f"{name}: the file manager ended ({file_manager.returncode})")


# A check: the item at each place shows the emblem of its status in
# `expected` (or none), and no emblem shows anywhere else.
def exactly(places, expected):

    def check(emblems):
        dy = view_shift(places, emblems)
        for item, (x, y) in places.items():
            here = [s for s, ex, ey in emblems if abs(ex - x) <= NEAR and abs(ey - dy - y) <= NEAR]
            want = [expected[item]] if item in expected else []
            if here != want:
                return f"{item} shows {here or 'nothing'}, expected {want or 'nothing'}"
        return None if len(emblems) == len(expected) else "emblems away from every item"

    return check


# How far the view moved down since the places were taken: a file manager
# may lay the items out anew a few pixels lower (Caja's grid, once scrolled
# by part of a row). The shift that puts the most emblems on places, the
# smallest among equals; less than a list row, so that no item stands in
# for its neighbour.
def view_shift(places, emblems):
    def on_places(dy):
        return sum(any(abs(ex - x) <= NEAR and abs(ey - dy - y) <= NEAR for x, y in places.values())
                   for _, ex, ey in emblems)
    return max(range(-MAX_SHIFT, MAX_SHIFT + 1), key=lambda dy: (on_places(dy), -abs(dy)))


def xdotool(env, *args):
    subprocess.run(["xdotool", *args], env=env, check=True, stdout=subprocess.DEVNULL)


# Closes a menu and clears the selection, the pointer away from the items: a
# selected or hovered item's emblem may change colour (Dolphin's does).
def leave(env):
    xdotool(env, "key", "Escape", "sleep", "0.3", "mousemove", "900", "500", "click", "1", "sleep", "0.3")


# Shows `folder` in the window, through the location entry. Typed in one
# burst: typed a key at a time, the entry's completion races the keys on a
# busy machine ("/root/Syncnc").
def go_to(env, folder):
    xdotool(env, "key", "ctrl+l", "sleep", "0.5", "key", "ctrl+a")
    xdotool(env, "type", "--delay", "0", folder)  # ("type" takes every argument left)
    xdotool(env, "sleep", "0.5", "key", "Return", "sleep", "2")


# Opens the context menu of the item at `place` and returns the menu's
# height: the rows the screen changed in (its screenshot kept as `name`).
def open_menu(env, place, name):
    before = screen.Shot(env)
    xdotool(env, "mousemove", *(str(round(v)) for v in place), "click", "3")
    time.sleep(1.5)
    after = screen.Shot(env)
    after.save(os.path.join(SHOTS, name + ".png"))
    return screen.changed_height(before, after)


# Opens the item's context menu, chooses our item with the keyboard and
# reads what the tessvik scheme's handler was given: the item at `path`.
# Returns the menu's height.
def check_share(env, home, place, path):
    height = open_menu(env, place, "menu-in-synced-folder")
    xdotool(env, "key", "--delay", "300", *MENU_KEYS)
    expected = "tessvik://share?path=" + urllib.parse.quote(path, safe="/")
    shared = os.path.join(home, "shared")
    deadline = time.monotonic() + 10
    while not os.path.exists(shared):
        if time.monotonic() > deadline:
            screen.Shot(env).save(os.path.join(SHOTS, "share-failed.png"))
            raise Failure("share: the tessvik handler was never started")
        time.sleep(0.2)
    with open(shared, encoding="utf-8", errors="surrogateescape") as f:
        url = f.read()
    if url != expected:
        raise Failure(f"share: the handler got {url!r}, expected {expected!r}")
    leave(env)
    return height


# Removes the handler's program, chooses our item again and waits for the
# desktop notification that names the item.
def check_failed_share(env, home, place, item, notifications):
    os.remove(os.path.join(home, ".local/bin/tessvik-recorder"))
    open_menu(env, place, "menu-failed-share")
    xdotool(env, "key", "--delay", "300", *MENU_KEYS)
    deadline = time.monotonic() + 10
    while True:
        with open(notifications, encoding="utf-8", errors="replace") as f:
            caught = f.read()
        if f'string "« {item} » n\'a pas été partagé' in caught:
            break
        if time.monotonic() > deadline:
            screen.Shot(env).save(os.path.join(SHOTS, "failed-share.png"))
            raise Failure("failed share: no notification naming the item on the session bus")
        time.sleep(0.2)
    leave(env)
    log("failed share: ok: a notification names the item")


# Goes to the folder beside the synced one (still observed) and opens the
# context menu of its item, which sits where the first synced item sat: it
# must lack our item.
def check_no_share_outside(env, home, place, inside_height):
    go_to(env, os.path.join(home, os.path.dirname(OUTSIDE_ITEM)))
    height = open_menu(env, place, "menu-outside")
    leave(env)
    if not inside_height - MENU_ROWS[1] <= height <= inside_height - MENU_ROWS[0]:
        raise Failure(f"menu outside the synced folder: {height} px high, inside {inside_height} px")
    log(f"menu outside: ok: {height} px high, inside {inside_height} px")


def main():
    # --extension-dir: where the module is installed, under --prefix (the
    # CMAKE_INSTALL_PREFIX) unless absolute (Dolphin: Qt's plugin folder);
    # --read-dir: the folder the file manager loads extensions from (Dolphin:
    # none, it reads them through QT_PLUGIN_PATH).
    parser = argparse.ArgumentParser(description="The extension in a real file manager.")
    for option in ("--build-dir", "--extension-dir", "--prefix"):
        parser.add_argument(option, required=True)
    parser.add_argument("--read-dir")
    parser.add_argument("--file-manager", choices=sorted(FILE_MANAGERS), default="nautilus")
    parser.add_argument("--view", choices=sorted(VIEWERS), default="grid")
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--inside", help=argparse.SUPPRESS)
    args = parser.parse_args()
    return run_inside(args) if args.inside else run_outside(args)


if __name__ == "__main__":
    sys.exit(main())
