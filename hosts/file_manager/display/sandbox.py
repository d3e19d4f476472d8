"""A file manager session kept off the real system: mount and PID namespaces,
a private /tmp, the installed module where the file manager looks for it,
a temporary home over the real one, and Xvfb with a session bus.

The file managers load extensions only from their own folder under /usr/lib,
so the installed module is bind-mounted over that folder; the extension
looks for its state folder under the real user's home (from the user
database, not $HOME), so the temporary home is bind-mounted over it. Every
process started (the file manager, Xvfb, D-Bus and whatever D-Bus starts)
ends with the PID namespace. As root nothing else is needed; other users need
unprivileged user namespaces."""

import os
import pwd
import signal
import subprocess

WORK = "/tmp/work"  # where the work folder is seen inside the namespace


def unshare_command():
    """The command prefix that runs a program in namespaces of its own."""
    command = ["unshare", "--mount", "--pid", "--fork", "--mount-proc"]
    if os.geteuid() != 0:
        command[1:1] = ["--user", "--map-root-user"]
    return command


def _mount(*args):
    subprocess.run(["mount", *args], check=True)


def _cover_with(layer, target):
    """Makes `target` (a folder that may not exist) show `layer`'s content,
    leaving everything beside it in place."""
    if os.path.isdir(target):
        _mount("--bind", layer, target)
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
    _mount("--bind", parent, original)
    for entry in os.listdir(original):
        os.symlink(os.path.join(original, entry), os.path.join(copy, entry))
    os.makedirs(target.replace(parent, copy, 1))
    _mount("--bind", layer, target.replace(parent, copy, 1))
    _mount("--rbind", copy, parent)


def enter(work, extension_dir, prefix):
    """Inside the namespaces: a private /tmp with `work` at WORK, the module
    installed under work/root in `extension_dir`, work/home over the real
    home. Returns the real home's path and the environment for the session."""
    real_home = pwd.getpwuid(os.getuid()).pw_dir
    # `work` may itself be under /tmp: it is held open while /tmp is covered.
    held = os.open(work, os.O_RDONLY | os.O_DIRECTORY)
    _mount("-t", "tmpfs", "tmpfs", "/tmp")
    os.makedirs(WORK)
    _mount("--bind", f"/proc/{os.getpid()}/fd/{held}", WORK)
    os.close(held)
    _cover_with(os.path.join(WORK, "root", extension_dir.lstrip("/")), extension_dir)
    _mount("--bind", os.path.join(WORK, "home"), real_home)
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
    return real_home, env


def _read_line(fd):
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
    """Xvfb, a session bus and the file manager (`command`, its output in
    `log_path`), ended in reverse order."""

    def __init__(self, env, command, log_path):
        self.env = dict(env)
        self.processes = []
        self.log = open(log_path, "w")
        self.env["DISPLAY"] = ":" + self._start_reporting(
            ["Xvfb", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-displayfd"])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._start_reporting(
            ["dbus-daemon", "--session", "--nofork", "--print-address"], joined=True)
        self.processes.append(subprocess.Popen(
            command, env=self.env, stdout=self.log, stderr=subprocess.STDOUT))

    def _start_reporting(self, command, joined=False):
        """Starts `command`, which writes one line to the descriptor given as
        its last argument (`--option=fd` when joined), and returns the line."""
        read_end, write_end = os.pipe()
        if joined:
            command = command[:-1] + [f"{command[-1]}={write_end}"]
        else:
            command = command + [str(write_end)]
        self.processes.append(subprocess.Popen(
            command, env=self.env, pass_fds=[write_end], stdout=self.log,
            stderr=subprocess.STDOUT))
        os.close(write_end)
        line = _read_line(read_end)
        if not line:
            raise RuntimeError(f"{command[0]} did not start")
        return line

    def file_manager_exit(self):
        """The file manager's exit status, or None while it runs."""
        return self.processes[-1].poll()

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
