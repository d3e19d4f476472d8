#!/usr/bin/env python3
"""Holds the source tree to its layers.

Resolves every #include "..." of the product code, its tests and its
harnesses to a file of the tree, and fails on an include against the layer
order (README, "Layout"), or from one program's folder into another's:

  base/                      the bottom: includes nothing of ours
  text/, host/               on base/ only (host/ is the platform boundary:
                             its interfaces, shared implementations, fakes)
  state/                     on text/ and base/
  extension/                 on state/, host/ and below
  file_manager/              on extension/ and below
  kit/                       beside the core, on base/, text/, state/
  programs                   hosts/<program>/, bridges/<program>/,
                             bench/, fuzz/: on any layer,
                             and on what every program shares (hosts/*.h,
                             and testing/, the test support of programs),
                             never on another program's folder

A test sits at its code's level: state/foo_test.cc includes nothing above
state/. An include that names no file of the tree (a system header, a file
that the build generates) is left alone, unless its first folder is one of
ours.

Usage: check-layers.py [SOURCE_DIR]; exit status 1 with one line per
include that breaks a rule.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*(?:include|import)\s+"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".hpp", ".c", ".cc", ".cpp", ".mm")
SKIPPED_FOLDERS = {".git", "corpus"}

# Each layer of the core and the layers it may include (itself included).
CORE = {
    "base": {"base"},
    "text": {"text", "base"},
    "host": {"host", "base"},
    "state": {"state", "text", "base"},
    "extension": {"extension", "state", "host", "text", "base"},
    "file_manager": {"file_manager", "extension", "state", "host", "text", "base"},
    "kit": {"kit", "state", "text", "base"},
}
# Folders whose every subfolder (or, for the others, the folder itself) is a
# program of its own.
PROGRAM_FOLDERS = {"hosts", "bridges"}
OTHER_PROGRAMS = {"bench", "fuzz"}
# What every program may use: the test support of programs (driving a
# program, scratch folders on the real file system).
SHARED_FOLDERS = {"testing"}


def layer_of(path):
    """The layer of a repository-relative path: a core layer's name,
    "program:<name>", "shared" (a header every program may use), or None for
    a file outside the layered tree."""
    parts = path.split("/")
    top = parts[0]
    if top in CORE:
        return top
    if top in OTHER_PROGRAMS:
        return "program:" + top
    if top in SHARED_FOLDERS:
        return "shared"
    if top in PROGRAM_FOLDERS:
        return "shared" if len(parts) == 2 else "program:" + "/".join(parts[:2])
    return None


def allowed(source, target):
    if source == target or target is None:
        return True
    if source in CORE:
        return target in CORE[source]
    if source.startswith("program:"):
        return target in CORE or target == "shared"
    if source == "shared":
        return target in CORE or target == "shared"
    return True


def resolve(root, including, name):
    """The repository-relative path that `name` names from `including`, or
    None when it names no file of the tree."""
    for candidate in (name, os.path.join(os.path.dirname(including), name)):
        candidate = os.path.normpath(candidate)
        if not candidate.startswith("..") and os.path.isfile(os.path.join(root, candidate)):
            return candidate.replace(os.sep, "/")
    return None


def sources(root):
    for folder, subfolders, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        subfolders[:] = sorted(
            d for d in subfolders
            if d not in SKIPPED_FOLDERS and not (rel == "." and d.startswith("build"))
        )
        for f in sorted(files):
            if f.endswith(SOURCES):
                yield os.path.normpath(os.path.join(rel, f)).replace(os.sep, "/")


def problems(root):
    known_tops = set(CORE) | PROGRAM_FOLDERS | OTHER_PROGRAMS | SHARED_FOLDERS
    for path in sources(root):
        source = layer_of(path)
        if source is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            name = match.group(1)
            line = text.count("\n", 0, match.start()) + 1
            target_path = resolve(root, path, name)
            if target_path is None:
                if name.split("/")[0] in known_tops:
                    yield f"{path}:{line}: « {name} » names no file of the tree"
                continue
            target = layer_of(target_path)
            if not allowed(source, target):
                yield (f"{path}:{line}: « {name} »: {source} may not include {target}")


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    found = list(problems(root))
    for p in found:
        print(p)
    if found:
        print(f"{len(found)} include(s) against the layers", file=sys.stderr)
        return 1
    print("layers: every include goes down or stays level")
    return 0


if __name__ == "__main__":
    sys.exit(main())
