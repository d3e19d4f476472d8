#!/usr/bin/env python3
# The plugins in a real Dolphin, on a virtual screen (the sandbox and the
# screenshots of hosts/file_manager/display).
#
# Installs the plugins and the emblems into a temporary folder that Qt reads
# plugins from, then starts Dolphin under Xvfb in icon or details view on a
# temporary home that holds a synced folder, a folder beside it and a badge
# state file. Checks on screenshots that every item shows the emblem of its
# status and that the emblems follow a rewrite and a deletion of the state
# file without user action; that « Partager avec TessVik… » in an item's context menu hands
# the tessvik scheme's handler the exact share URL; and that the menu of an
# item outside the synced folder lacks it. Run as root, Dolphin runs as
# nobody, as it should not run as root.
#
# Exit status: 0 passed, 1 failed, 77 skipped (no Dolphin or display stack;
# TESSVIK_DISPLAY_REQUIRED=1 makes that a failure). Screenshots and output
# are kept in <build>/display-artifacts/dolphin-<view>/.

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "file_manager", "display"))
import sandbox  # noqa: E402
import screen  # noqa: E402

SKIP = 77
SHOTS = os.path.join(sandbox.WORK, "shots")
FIRST = {"1.txt": "synced", "2.txt": "syncing", "3.txt": "conflict", "4.txt": "error"}
SECOND = {"1.txt": "error", "2.txt": "synced", "4.txt": "conflict"}  # 3.txt: no badge
SHARED = "2.txt"
NEAR = 10  # pixels: an emblem this close to an item's emblem place is that item's
VIEW_KEYS = {"icons": "ctrl+1", "details": "ctrl+3"}
MENU_ROWS = (12, 80)  # pixels: a menu one item shorter
MENU_KEYS = ["Up", "Up", "Return"]  # our item comes last but for Properties
NOBODY = 65534


class Failure(Exception):
    pass


def log(message):
    print(f"[display] {message}", flush=True)


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(path, mode)


def run_outside(args):
    tools = ["Xvfb", "xdotool", "import", "convert", "dbus-run-session", "unshare", "setpriv", "dolphin"]
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing or not args.plugin_dir:
        reason = f"missing: {' '.join(missing) or 'the plugins (KF5)'}"
        required = os.environ.get("TESSVIK_DISPLAY_REQUIRED") == "1"
        log(f"cannot run: {reason}" if required else f"skipped: {reason}")
        return 1 if required else SKIP
    artifacts = os.path.join(args.build_dir, "display-artifacts", f"dolphin-{args.view}")
    shutil.rmtree(artifacts, ignore_errors=True)
    work = tempfile.mkdtemp(prefix="display-dolphin-", dir=os.path.abspath(args.build_dir))
    try:
        for component in ("dolphin", "emblems"):
            subprocess.run([args.cmake, "--install", args.build_dir, "--component", component],
                           env=dict(os.environ, DESTDIR=os.path.join(work, "root")),
                           check=True, stdout=subprocess.DEVNULL)
        os.makedirs(os.path.join(work, "shots"))
        home = os.path.join(work, "home")
        for path in [f"Sync/{name}" for name in FIRST] + ["Other/1.txt", ".local/state/tessvik/.keep"]:
            write(os.path.join(home, path), "")
        write(os.path.join(home, ".local/bin/tessvik-recorder"),
              '#!/bin/sh\nprintf "%s" "$1" > "$HOME/shared.tmp" && mv "$HOME/shared.tmp" "$HOME/shared"\n', 0o755)
        write(os.path.join(home, ".local/share/applications/tessvik-recorder.desktop"),
              "[Desktop Entry]\nType=Application\nName=TessVik recorder\n"
              "Exec=tessvik-recorder %u\nMimeType=x-scheme-handler/tessvik;\nNoDisplay=true\n")
        write(os.path.join(home, ".config/mimeapps.list"),
              "[Default Applications]\nx-scheme-handler/tessvik=tessvik-recorder.desktop\n")
        inside = [sys.executable, os.path.abspath(__file__), "--inside", work] + sys.argv[1:]
        if os.geteuid() == 0:
            inside.append("--as-nobody")
        return subprocess.run(sandbox.unshare_command() + inside, timeout=240).returncode
    except (subprocess.TimeoutExpired, Failure) as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        if os.path.isdir(os.path.join(work, "shots")):
            shutil.copytree(os.path.join(work, "shots"), artifacts)
            log(f"screenshots and output kept in {artifacts}")
        shutil.rmtree(work, ignore_errors=True)


def run_inside(args):
    plugins = os.path.join(args.prefix, args.plugin_dir).lstrip("/")
    installed = os.path.join(sandbox.WORK, "root", plugins)
    home, env = sandbox.enter(args.inside, plugins, installed, args.prefix)  # (covers nothing)
    env.update(QT_PLUGIN_PATH=installed, QT_QPA_PLATFORM="xcb", XDG_STATE_HOME=home + "/.local/state",
               XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
               XDG_CACHE_HOME=home + "/.cache",
               QT_LOGGING_RULES="com.tessvik.tessvik.finder.badges.info=true")
    command = ["dbus-run-session", "--", "dolphin", "--new-window", home + "/Sync"]
    if args.as_nobody:
        os.chmod(sandbox.WORK, 0o755)
        for path in (home, "/tmp/runtime", SHOTS):
            subprocess.run(["chown", "-R", f"{NOBODY}:{NOBODY}", path], check=True)
        command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + command
    state_file = os.path.join(home, ".local/state/tessvik/badges.json")

    def write_state(statuses):
        write(state_file + ".tmp", json.dumps({"root": home + "/Sync", "files": statuses}))
        os.rename(state_file + ".tmp", state_file)

    write_state(FIRST)
    with open(os.path.join(SHOTS, "session.log"), "w") as session_log:
        dolphin = sandbox.start_session(env, command, session_log)
        try:
            time.sleep(3)
            xdotool(env, "search", "--sync", "--class", "dolphin", "windowsize", "--sync", "1200", "700")
            leave(env)  # the view takes the keys; Dolphin selected the first item
            xdotool(env, "key", VIEW_KEYS[args.view], "sleep", "1")
            leave(env)
            emblems = wait_for(dolphin, env, "first-state", in_order(list(FIRST.values())), 60)
            places = {item: (x, y) for item, (_, x, y) in zip(FIRST, screen.in_listing_order(emblems))}
            height = check_share(env, home, places[SHARED])
            write_state(SECOND)
            wait_for(dolphin, env, "second-state", exactly(places, SECOND), 15)
            os.remove(state_file)
            wait_for(dolphin, env, "state-file-deleted", exactly(places, {}), 15)
            go_to(env, home + "/Other")
            outside = open_menu(env, places["1.txt"], "menu-outside")
            if not height - MENU_ROWS[1] <= outside <= height - MENU_ROWS[0]:
                raise Failure(f"menu outside the synced folder: {outside} px high, inside {height} px")
        except Failure as failure:
            log(f"FAILED: {failure}")
            return 1
        finally:
            dolphin.kill()
    log("passed")
    return 0


def xdotool(env, *args):
    subprocess.run(["xdotool", *args], env=env, check=True, stdout=subprocess.DEVNULL)


# Takes screenshots until `check(emblems)` finds nothing wrong, or fails once
# `timeout` seconds have passed; the last screenshot is kept either way.
def wait_for(dolphin, env, name, check, timeout):
    deadline = time.monotonic() + timeout
    while dolphin.poll() is None:
        shot = screen.Shot(env)
        emblems = screen.emblems_on_screen(shot)
        problem = check(emblems)
        if problem is None or time.monotonic() > deadline:
            shot.save(os.path.join(SHOTS, name + ".png"))
            if problem:
                raise Failure(f"{name}: {problem}; on screen: {screen.describe(emblems)}")
            log(f"{name}: ok: {screen.describe(emblems)}")
            return emblems
        time.sleep(0.2)
    raise Failure(f"{name}: Dolphin ended ({dolphin.returncode})")


def in_order(statuses):
    return lambda emblems: None if [s for s, _, _ in screen.in_listing_order(emblems)] == statuses \
        else f"expected {statuses}"


def exactly(places, expected):
    def check(emblems):
        for item, (x, y) in places.items():
            here = [s for s, ex, ey in emblems if abs(ex - x) <= NEAR and abs(ey - y) <= NEAR]
            if here != ([expected[item]] if item in expected else []):
                return f"{item} shows {here or 'nothing'}, expected {expected.get(item, 'nothing')}"
        return None if len(emblems) == len(expected) else "emblems away from every item"
    return check


def go_to(env, folder):
    xdotool(env, "key", "ctrl+l", "sleep", "0.5", "key", "ctrl+a")
    xdotool(env, "type", "--delay", "20", folder)
    xdotool(env, "key", "Return", "sleep", "2")


# Closes the menu and clears the selection, the pointer away from the items:
# a selected or hovered item's emblem changes colour.
def leave(env):
    xdotool(env, "key", "Escape", "sleep", "0.3", "mousemove", "900", "500", "click", "1", "sleep", "0.3")


# Opens the context menu of the item at `place`; returns the menu's height.
def open_menu(env, place, name):
    before = screen.Shot(env)
    xdotool(env, "mousemove", *(str(round(v)) for v in place), "click", "3", "sleep", "1.5")
    after = screen.Shot(env)
    after.save(os.path.join(SHOTS, name + ".png"))
    leave(env)
    return screen.changed_height(before, after)


# Chooses our item in the item's context menu and reads what the tessvik
# scheme's handler was given. Returns the menu's height.
def check_share(env, home, place):
    height = open_menu(env, place, "menu-in-synced-folder")
    xdotool(env, "mousemove", *(str(round(v)) for v in place), "click", "3", "sleep", "1.5")
    xdotool(env, "key", "--delay", "300", *MENU_KEYS)
    expected = "tessvik://share?path=" + urllib.parse.quote(os.path.join(home, "Sync", SHARED), safe="/")
    shared = os.path.join(home, "shared")
    deadline = time.monotonic() + 10
    while not os.path.exists(shared):
        if time.monotonic() > deadline:
            screen.Shot(env).save(os.path.join(SHOTS, "share-failed.png"))
            raise Failure("share: the tessvik handler was never started")
        time.sleep(0.2)
    with open(shared, encoding="utf-8") as f:
        url = f.read()
    if url != expected:
        raise Failure(f"share: the handler got {url!r}, expected {expected!r}")
    leave(env)
    return height


def main():
    parser = argparse.ArgumentParser(description="The plugins in a real Dolphin.")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--view", choices=sorted(VIEW_KEYS), default="icons")
    parser.add_argument("--plugin-dir", default="", help="Qt's plugin folder, under the prefix unless absolute")
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--inside", help=argparse.SUPPRESS)
    parser.add_argument("--as-nobody", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    return run_inside(args) if args.inside else run_outside(args)


if __name__ == "__main__":
    sys.exit(main())
