#!/usr/bin/env python3
"""Regenerates the committed artwork: the wavemeter's signal pictures and badges (4 bpp BMP),
the three program icons (ICO, 32x32 and 16x16 at 8 bpp) and the contact sheet PNG.

    /usr/bin/python3 tools/artgen/generate.py [--out DIR] [--check]

Files go below the repository root, or below DIR with the same relative paths. --check writes
nothing and exits with status 1 if any file there differs from what would be generated.
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import argparse  # noqa: E402
import os  # noqa: E402

from bitmap_files import bmp4_bytes, ico8_bytes  # noqa: E402
from caption_text import find_font  # noqa: E402
from contact_sheet import contact_sheet  # noqa: E402
from icon_designs import icons  # noqa: E402
from palettes import ICON256, VGA16  # noqa: E402
from signal_pictures import badges, pictures  # noqa: E402

REPO_ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CONTACT_SHEET = "docs/img/artwork-contact-sheet.png"


def artwork():
    """{relative path: file bytes} for every generated file."""
    font = find_font()
    signal = pictures(font)
    line_badges = badges(font)
    files = {}
    for name, image in signal + line_badges:
        files["wavemeter/art/%s.bmp" % name] = bmp4_bytes(
            image.width, image.height, image.rows, VGA16
        )
    drawn_icons = []
    for path, canvases in icons():
        images = [canvas.indexed() for canvas in canvases]
        files[path] = ico8_bytes(images, ICON256)
        drawn_icons.append((os.path.basename(path), images))
    files[CONTACT_SHEET] = contact_sheet(signal, line_badges, drawn_icons)
    return files


def check(root, files):
    stale = []
    for path, data in sorted(files.items()):
        try:
            with open(os.path.join(root, path), "rb") as f:
                if f.read() == data:
                    continue
        except FileNotFoundError:
            pass
        stale.append(path)
    for path in stale:
        print("out of date: %s" % path)
    return 1 if stale else 0


def write(root, files):
    for path, data in sorted(files.items()):
        target = os.path.join(root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (path, len(data)))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=REPO_ROOT, help="root folder (default: the repository)")
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    files = artwork()
    return check(args.out, files) if args.check else write(args.out, files)


if __name__ == "__main__":
    sys.exit(main())
