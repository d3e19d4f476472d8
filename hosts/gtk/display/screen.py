# What the virtual screen shows: screenshots, and the badge emblems on them,
# found by their colours (emblems/*.svg).

import pathlib
import re
import subprocess

# Each badge's colour, as its emblem draws it: the first colour of the
# emblem's drawing that is not its white mark.
EMBLEMS = pathlib.Path(__file__).resolve().parents[3] / "file_manager" / "emblems"


def _accent(svg):
    for colour in re.findall(r'fill="#([0-9A-Fa-f]{6})"', svg.read_text()):
        if colour.upper() != "FFFFFF":
            return tuple(bytes.fromhex(colour))
    raise ValueError(f"{svg}: no colour but white")


EMBLEM_COLOURS = {svg.stem[len("emblem-tessvik-"):]: _accent(svg)
                  for svg in sorted(EMBLEMS.glob("emblem-tessvik-*.svg"))}
COLOUR_TOLERANCE = 36  # per channel: the shape's edge is blended
MIN_EMBLEM_PIXELS = 12  # of emblem colour: less is a stray pixel, not an emblem
ROW_HEIGHT = 10  # emblems less than this apart vertically are on one row
GAP = 3  # pixels: pieces of one colour this close are one emblem


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


_PATTERNS = {status: _colour_pattern(colour) for status, colour in EMBLEM_COLOURS.items()}


# Every emblem on the screen as (status, x, y), at its shape's centre: the
# pixels of its colour, gathered across gaps of up to GAP pixels (the
# white mark may cut its shape in pieces).
def emblems_on_screen(shot):
    emblems = []
    near = [(dx, dy) for dx in range(-GAP, GAP + 1) for dy in range(-GAP, GAP + 1)]
    for status, pattern in _PATTERNS.items():
        left = {divmod(m.start() // 3, shot.width)[::-1] for m in pattern.finditer(shot.pixels)
                if m.start() % 3 == 0}
        while left:
            stack, shape = [left.pop()], []
            while stack:
                x, y = stack.pop()
                shape.append((x, y))
                for dx, dy in near:
                    if (x + dx, y + dy) in left:
                        left.remove((x + dx, y + dy))
                        stack.append((x + dx, y + dy))
            if len(shape) >= MIN_EMBLEM_PIXELS:
                emblems.append((status, sum(x for x, _ in shape) / len(shape), sum(y for _, y in shape) / len(shape)))
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


# The longest run of rows that differ from one screenshot to the next: the
# height of a menu that opened between them (a status bar that changed too
# lies apart from it).
def changed_height(before, after):
    row, run, longest = before.width * 3, 0, 0
    for y in range(before.height):
        run = run + 1 if before.pixels[y * row:(y + 1) * row] != after.pixels[y * row:(y + 1) * row] else 0
        longest = max(longest, run)
    return longest


def describe(emblems):
    return ", ".join(f"{s}@({x:.0f},{y:.0f})" for s, x, y in emblems) or "none"
