import fcntl, json, os, tempfile, time, unicodedata

STATUSES = ("synced", "syncing", "conflict", "error", "")

def badge_problems(root, files):
    """What the extension would read but never show: the kit's writer refuses it too."""
    problems = []
    if not root.startswith("/") or "\0" in root:
        problems.append("la racine %r n'est pas un chemin absolu" % root)
    spellings = {}
    for key, status in files.items():
        if key and ("\0" in key or any(part in ("", ".", "..") for part in key.split("/"))):
            problems.append("la clé %r n'aura jamais de pastille" % key)
        if status not in STATUSES:
            problems.append("le statut %r de %r n'est pas une pastille" % (status, key))
        first = spellings.setdefault(unicodedata.normalize("NFC", key), key)
        if first != key:
            problems.append("la clé %r redit la clé %r" % (key, first))
    return problems

def write_badges(state_dir, name, root, files):
    """Replaces the badge state file `name` in `state_dir` whole, with a later date."""
    problems = badge_problems(root, files)
    if problems:
        raise ValueError(" ; ".join(problems))
    target = os.path.join(state_dir, name)
    # A name of its own, in the same folder, that fails the name test.
    fd, tmp = tempfile.mkstemp(dir=state_dir, prefix="." + name + ".", suffix=".tmp")
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            os.fchmod(f.fileno(), 0o644)                       # as any other file, not 0600
            json.dump({"root": root, "files": files}, f, ensure_ascii=False)
            f.flush()
            os.fsync(f.fileno())
        # The kit's lock: no other writer of this file between the old date and the rename.
        with open(os.path.join(state_dir, "." + name + ".lock"), "a") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            try:
                old = os.lstat(target).st_mtime_ns
            except FileNotFoundError:
                old = None
            if old is not None and os.lstat(tmp).st_mtime_ns <= old:
                ahead = old - time.time_ns()
                if 0 < ahead <= 2 * 10**9:                     # the date stays a step ahead at most
                    time.sleep(ahead / 10**9)
                for step in (1, 10**3, 10**6, 10**9, 2 * 10**9):  # finest the file system keeps
                    os.utime(tmp, ns=(old + step, old + step))
                    if os.lstat(tmp).st_mtime_ns > old:
                        break
                else:
                    raise OSError("le système de fichiers garde la date du fichier précédent")
            os.replace(tmp, target)
    except BaseException:
        os.unlink(tmp)
        raise
    dir_fd = os.open(state_dir, os.O_RDONLY)
    try:
        os.fsync(dir_fd)
    finally:
        os.close(dir_fd)
