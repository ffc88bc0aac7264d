"""Reads the Japanese user guide's source, docs/ja/guide.src.md: the one text from which both the
desk guide with pictures (docs/ja/guide.md) and the terminal's README.txt are made.

The source is Markdown of four kinds of block, separated by blank lines: headings (#, ##, ###),
paragraphs, lists ("- " or "1. " items) and picture lines. A comment <!-- NAME ... --> names
gallery pictures (docs/img/NAME.png): at the end of a paragraph or a list item it illustrates
that text; alone on a line it is a row of pictures. Pictures appear in the desk guide only.
"""

import re
from collections import namedtuple
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SOURCE = ROOT / "docs" / "ja" / "guide.src.md"
PICTURES = ROOT / "docs" / "img"

# kind: "heading", "paragraph", "list" or "pictures"; level: heading level; text: heading or
# paragraph text; items: (marker, text, pictures) of a list; pictures: names of the block's own.
Block = namedtuple("Block", "kind level text items pictures")

ITEM = re.compile(r"(- |\d+\. )(.*)")
TRAILING_PICTURES = re.compile(r"\s*<!--\s*(.*?)\s*-->$")


class GuideError(Exception):
    pass


def _take_pictures(text, where):
    """(text without a trailing picture comment, the pictures it names)."""
    match = TRAILING_PICTURES.search(text)
    if not match:
        return text, []
    names = match.group(1).split()
    for name in names:
        if not (PICTURES / f"{name}.png").is_file():
            raise GuideError(f"{where}: no picture docs/img/{name}.png")
    return text[:match.start()], names


def read_guide(path=SOURCE):
    """The source's blocks, in order."""
    blocks = []
    current = None  # the block that the next non-blank line continues
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{path.name}:{number}"
        line = line.rstrip()
        item = ITEM.match(line)
        if not line:
            current = None
        elif line.startswith("#"):
            level = len(line) - len(line.lstrip("#"))
            blocks.append(Block("heading", level, line[level:].strip(), [], []))
            current = None
        elif line.startswith("<!--"):
            blocks.append(Block("pictures", 0, "", [], _take_pictures(line, where)[1]))
            current = None
        elif item:
            text, pictures = _take_pictures(item.group(2), where)
            if current is None or current.kind != "list":
                current = Block("list", 0, "", [], [])
                blocks.append(current)
            current.items.append((item.group(1).strip(), text, pictures))
        elif current is not None and current.kind == "list":
            marker, text, pictures = current.items[-1]
            more, more_pictures = _take_pictures(line.strip(), where)
            current.items[-1] = (marker, _join(text, more), pictures + more_pictures)
        else:
            text, pictures = _take_pictures(line.strip(), where)
            if current is None:
                current = Block("paragraph", 0, text, [], pictures)
                blocks.append(current)
            else:
                blocks[-1] = current = current._replace(text=_join(current.text, text),
                                                        pictures=current.pictures + pictures)
    return blocks


def _join(first, second):
    """Two source lines of one text: Japanese runs on, Latin words keep a space between."""
    if first and second and first[-1].isascii() and second[0].isascii():
        return f"{first} {second}"
    return first + second
