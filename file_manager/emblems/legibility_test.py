#!/usr/bin/env python3
# The emblems at the sizes the file managers draw them: 16 px (the variant
# fitted to 16 px in 16x16/, which the icon theme prefers there, else the
# scalable one) and 8 px (the scalable one), rendered as the icon theme does
# (librsvg) and turned grey. With the colour gone, every two emblems must
# still differ in shape: where the emblem covers, and where its white mark is.
#
# Usage: legibility_test.py EMBLEM_DIR KEEP_DIR; the grey renders are
# written to KEEP_DIR for a person to look at. Exit status: 0 passed,
# 1 failed, 77 skipped (no rsvg-convert or convert; TESSVIK_DISPLAY_REQUIRED=1
# makes that a failure).

import itertools
import os
import shutil
import subprocess
import sys

MIN_DIFFERENT = 0.15  # of the pixels: two emblems closer than that read alike
MARK_GREY = 210  # the white mark, blended at its edges; every shape is darker


def grey(path, size, keep):
    png = subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), path],
                         check=True, capture_output=True).stdout
    kept = os.path.join(keep, f"{size}px-{os.path.basename(path)[:-4]}.png")
    rgba = subprocess.run(["convert", "png:-", "-colorspace", "Gray", "-write", kept, "-depth", "8", "rgba:-"],
                          input=png, check=True, capture_output=True).stdout
    # Per pixel: 0 outside the emblem, 1 its shape, 2 its mark.
    return [0 if a < 128 else 2 if g > MARK_GREY else 1 for g, a in zip(rgba[0::4], rgba[3::4])]


def main(emblems, keep):
    if not (shutil.which("rsvg-convert") and shutil.which("convert")):
        print("skipped: rsvg-convert (librsvg2-bin) or convert (imagemagick) missing")
        return 1 if os.environ.get("TESSVIK_DISPLAY_REQUIRED") == "1" else 77
    os.makedirs(keep, exist_ok=True)
    # One emblem per badge, named after it.
    names = sorted(f[len("emblem-tessvik-"):-len(".svg")] for f in os.listdir(emblems)
                   if f.startswith("emblem-tessvik-") and f.endswith(".svg"))
    failed = False
    for size, folder in ((16, os.path.join(emblems, "16x16")), (8, emblems)):
        shapes = {}
        for name in names:
            path = os.path.join(folder, f"emblem-tessvik-{name}.svg")
            shapes[name] = grey(path if os.path.exists(path) else os.path.join(emblems, os.path.basename(path)),
                                size, keep)
        for a, b in itertools.combinations(names, 2):
            different = sum(x != y for x, y in zip(shapes[a], shapes[b])) / size**2
            ok = different >= MIN_DIFFERENT
            failed |= not ok
            print(f"{size} px, {a} / {b}: {different:.0%} of the pixels differ{'' if ok else ': too alike'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
