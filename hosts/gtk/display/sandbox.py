# A file manager session kept off the real system: mount and PID namespaces,
# a private /tmp, the installed module where the file manager looks for it,
# a temporary home over the real one, and Xvfb with a session bus.
#
# The file managers load extensions only from their own folder under /usr/lib,
# so the installed module is bind-mounted over that folder; the extension
# looks for its state folder under the real user's home (from the user
# database, not $HOME), so the temporary home is bind-mounted over it. Every
# process started (the file manager, Xvfb, D-Bus and whatever D-Bus starts)
# ends with the PID namespace. As root nothing else is needed; other users
# need unprivileged user namespaces.

import os
import pwd
import subprocess

WORK = "/tmp/work"  # where the work folder is seen inside the namespace


# The command prefix that runs a program in namespaces of its own. A network
# namespace of its own too: X's and D-Bus's abstract sockets live there, so
# two sessions at once cannot take each other's display.
def unshare_command():
    user = ["--user", "--map-root-user"] if os.geteuid() != 0 else []
    return ["unshare", *user, "--mount", "--pid", "--net", "--fork", "--mount-proc"]


def _mount(*args):
    subprocess.run(["mount", *args], check=True)


# Makes `target` (a folder that may not exist) show `layer`'s content,
# leaving everything beside it in place.
def _cover_with(layer, target):
    # Nothing may be created outside the namespace: when `target` is missing,
    # its nearest existing parent is covered by a copy made of links to what
    # it holds (reached through a second mount of it) and of the missing
    # folders down to `target`.
    parent = target
    while not os.path.isdir(parent):
        parent = os.path.dirname(parent)
    if parent == target:
        return _mount("--bind", layer, target)
    original, copy = (os.path.join(WORK, kind + parent.replace("/", "_")) for kind in ("original", "copy"))
    os.makedirs(original)
    os.makedirs(copy)
    _mount("--bind", parent, original)
    for entry in os.listdir(original):
        os.symlink(os.path.join(original, entry), os.path.join(copy, entry))
    os.makedirs(target.replace(parent, copy, 1))
    _mount("--bind", layer, target.replace(parent, copy, 1))
    _mount("--rbind", copy, parent)


# Inside the namespaces: a private /tmp with `work` at WORK, the module
# installed under work/root in `installed_dir` seen in `read_dir` (if any),
# where the file manager reads it, work/home over the real home. Returns the real
# home's path and the environment for the session.
def enter(work, installed_dir, read_dir, prefix):
    account = pwd.getpwuid(os.getuid())
    # `work` may itself be under /tmp: it is held open while /tmp is covered.
    held = os.open(work, os.O_RDONLY | os.O_DIRECTORY)
    _mount("-t", "tmpfs", "tmpfs", "/tmp")
    os.makedirs(WORK)
    _mount("--bind", f"/proc/{os.getpid()}/fd/{held}", WORK)
    os.close(held)
    if read_dir:
        _cover_with(os.path.join(WORK, "root", installed_dir.lstrip("/")), read_dir)
    _mount("--bind", os.path.join(WORK, "home"), account.pw_dir)
    os.makedirs("/tmp/runtime", mode=0o700)
    home = account.pw_dir
    # (XDG_CONFIG_HOME and the like default to folders under HOME.)
    return home, {
        "PATH": os.path.join(home, ".local/bin") + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": home,
        "USER": account.pw_name,
        "LANG": "C.UTF-8",
        "XDG_RUNTIME_DIR": "/tmp/runtime",
        # The emblems, installed with the module, join the icon theme.
        "XDG_DATA_DIRS": os.path.join(WORK, "root", prefix.lstrip("/"), "share")
        + ":/usr/local/share:/usr/share",
        "GSETTINGS_BACKEND": "keyfile",
        "NO_AT_BRIDGE": "1",
        "GTK_A11Y": "none",
        # No OpenGL on a virtual screen: software GL would first compile
        # every shader, which takes minutes on a small machine.
        "GSK_RENDERER": "cairo",
    }


# Starts `command`, which writes one line to the descriptor put in place
# of "{fd}" in its arguments once it is ready, and returns that line.
def _start_reporting(command, env, log):
    read_end, write_end = os.pipe()
    subprocess.Popen([arg.format(fd=write_end) for arg in command], env=env,
                     pass_fds=[write_end], stdout=log, stderr=subprocess.STDOUT)
    os.close(write_end)
    with os.fdopen(read_end) as reported:
        line = reported.readline().strip()
    if not line:
        raise RuntimeError(f"{command[0]} did not start")
    return line


# Starts Xvfb, a session bus and then `command` (output to the open file
# `log`) in `env`, which gains DISPLAY and the bus's address. Returns the
# command's process. All of them end with the PID namespace.
def start_session(env, command, log):
    env["DISPLAY"] = ":" + _start_reporting(
        ["Xvfb", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-displayfd", "{fd}"], env, log)
    env["DBUS_SESSION_BUS_ADDRESS"] = _start_reporting(
        ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], env, log)
    return subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT)
