"""What the virtual screen shows: screenshots, and the badge emblems on them,
found by their disc colours (emblems/*.svg)."""

import re
import subprocess

# The emblems' disc colours, by badge identifier.
DISC_COLOURS = {
    "synced": (0x34, 0xC7, 0x59),
    "syncing": (0x00, 0x7A, 0xFF),
    "conflict": (0xFF, 0x95, 0x00),
    "error": (0xFF, 0x3B, 0x30),
}
COLOUR_TOLERANCE = 36  # per channel: the disc's edge is blended
MIN_EMBLEM_PIXELS = 12  # of disc colour: less is a stray pixel, not an emblem
ROW_HEIGHT = 10  # emblems less than this apart vertically are on one row


class Shot:
    """One screenshot: its size, its RGB bytes and the PPM they came from."""

    def __init__(self, ppm):
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
            raise ValueError(f"unexpected screenshot format {fields}")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[offset + 1:]
        self.ppm = ppm

    def save(self, path):
        subprocess.run(["convert", "ppm:-", path], input=self.ppm, check=True)


def take_screenshot(env):
    """The whole screen of env's DISPLAY, popups included."""
    return Shot(subprocess.run(
        ["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
        env=env, check=True, capture_output=True,
    ).stdout)


def _colour_pattern(colour):
    """A regular expression for one pixel near `colour`, as a lookahead so
    that every offset is tried."""
    parts = []
    for channel in colour:
        low = max(0, channel - COLOUR_TOLERANCE)
        high = min(255, channel + COLOUR_TOLERANCE)
        parts.append(b"[" + re.escape(bytes([low])) + b"-" + re.escape(bytes([high])) + b"]")
    return re.compile(b"(?=" + b"".join(parts) + b")", re.DOTALL)


_PATTERNS = {status: _colour_pattern(colour) for status, colour in DISC_COLOURS.items()}


def _pieces(shot, pattern):
    """The 4-connected areas of pixels matching `pattern`, each as
    [left, top, right, bottom, sum of x, sum of y, pixel count]."""
    width, height = shot.width, shot.height
    matched = {m.start() // 3 for m in pattern.finditer(shot.pixels) if m.start() % 3 == 0}
    pieces = []
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
    return pieces


def _touching(a, b, gap=3):
    return a[0] - gap <= b[2] and b[0] - gap <= a[2] and a[1] - gap <= b[3] and b[1] - gap <= a[3]


def emblems_on_screen(shot):
    """Every emblem on the screen as (status, x, y), at its disc's centre.
    The white mark may cut a disc's colour in pieces: pieces whose bounding
    boxes touch are one disc."""
    emblems = []
    for status, pattern in _PATTERNS.items():
        pieces = _pieces(shot, pattern)
        merged = True
        while merged:
            merged = False
            for i, a in enumerate(pieces):
                b = next((b for b in pieces[i + 1:] if _touching(a, b)), None)
                if b is not None:
                    a[:] = [min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]),
                            a[4] + b[4], a[5] + b[5], a[6] + b[6]]
                    pieces.remove(b)
                    merged = True
                    break
        emblems += [(status, p[4] / p[6], p[5] / p[6]) for p in pieces if p[6] >= MIN_EMBLEM_PIXELS]
    return emblems


def in_listing_order(emblems):
    """Emblems by rows, top to bottom, each row left to right: the order of
    the items they sit on in a grid view."""
    rows = []
    for emblem in sorted(emblems, key=lambda e: e[2]):
        if rows and abs(rows[-1][0][2] - emblem[2]) <= ROW_HEIGHT:
            rows[-1].append(emblem)
        else:
            rows.append([emblem])
    return [emblem for row in rows for emblem in sorted(row, key=lambda e: e[1])]


def describe(emblems):
    return ", ".join(f"{s}@({x:.0f},{y:.0f})" for s, x, y in emblems) or "none"
