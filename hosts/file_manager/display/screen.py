# What the virtual screen shows: screenshots, and the badge emblems on them,
# found by their disc colours (emblems/*.svg).

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


# One screenshot of env's DISPLAY, popups included: its size and RGB
# bytes, from a binary PPM.
class Shot:
    def __init__(self, env):
        self.ppm = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                                  env=env, check=True, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", self.ppm)
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = self.ppm[header.end():]

    def save(self, path):
        subprocess.run(["convert", "ppm:-", path], input=self.ppm, check=True)


# A regular expression for one pixel near `colour`, as a lookahead so
# that every offset is tried.
def _colour_pattern(colour):
    ranges = (re.escape(bytes([max(0, c - COLOUR_TOLERANCE)])) + b"-"
              + re.escape(bytes([min(255, c + COLOUR_TOLERANCE)])) for c in colour)
    return re.compile(b"(?=" + b"".join(b"[" + r + b"]" for r in ranges) + b")", re.DOTALL)


_PATTERNS = {status: _colour_pattern(colour) for status, colour in DISC_COLOURS.items()}


# The 4-connected areas of pixels matching `pattern`, each as
# [left, top, right, bottom, sum of x, sum of y, pixel count].
def _pieces(shot, pattern):
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
                if 0 <= nx < width and 0 <= ny < height and ny * width + nx in matched:
                    matched.remove(ny * width + nx)
                    stack.append(ny * width + nx)
        pieces.append([min(xs), min(ys), max(xs), max(ys), sum(xs), sum(ys), len(xs)])
    return pieces


def _touching(a, b, gap=3):
    return a[0] - gap <= b[2] and b[0] - gap <= a[2] and a[1] - gap <= b[3] and b[1] - gap <= a[3]


# Every emblem on the screen as (status, x, y), at its disc's centre.
# The white mark may cut a disc's colour in pieces: pieces whose bounding
# boxes touch are one disc.
def emblems_on_screen(shot):
    emblems = []
    for status, pattern in _PATTERNS.items():
        discs = []  # never touching one another
        for disc in _pieces(shot, pattern):
            while (near := next((d for d in discs if _touching(d, disc)), None)) is not None:
                discs.remove(near)
                disc = [min(disc[0], near[0]), min(disc[1], near[1]), max(disc[2], near[2]),
                        max(disc[3], near[3]), disc[4] + near[4], disc[5] + near[5], disc[6] + near[6]]
            discs.append(disc)
        emblems += [(status, d[4] / d[6], d[5] / d[6]) for d in discs if d[6] >= MIN_EMBLEM_PIXELS]
    return emblems


# Emblems by rows, top to bottom, each row left to right: the order of
# the items they sit on in a grid view.
def in_listing_order(emblems):
    rows = []
    for emblem in sorted(emblems, key=lambda e: e[2]):
        if rows and abs(rows[-1][0][2] - emblem[2]) <= ROW_HEIGHT:
            rows[-1].append(emblem)
        else:
            rows.append([emblem])
    return [emblem for row in rows for emblem in sorted(row, key=lambda e: e[1])]


def describe(emblems):
    return ", ".join(f"{s}@({x:.0f},{y:.0f})" for s, x, y in emblems) or "none"
