#!/usr/bin/env python3
"""Writes the desk guide, docs/ja/guide.md, from the guide's source: the same text with the
gallery's pictures. A list whose items name pictures becomes a table of picture and text.

    python3 tools/release/desk_guide.py [--check]

--check writes nothing and exits with status 1 when docs/ja/guide.md is not what the source
gives (the packaging refuses to make a release then).
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import argparse  # noqa: E402

from guide_source import ROOT, read_guide  # noqa: E402

GUIDE = ROOT / "docs" / "ja" / "guide.md"
NOTICE = ("<!-- Made by tools/release/desk_guide.py from guide.src.md, which README.txt on the "
          "terminal comes from too: edit that file, then run the script. -->")


def _image(name, alt):
    return f"![{alt or name}](../img/{name}.png)"


def _list(items):
    if not any(pictures for _, _, pictures in items):
        return [f"{marker} {text}" for marker, text, _ in items]
    lines = ["| 画面 | 説明 |", "|---|---|"]
    for _, text, pictures in items:
        # An item reads "what is shown：what it means"; the first part labels the pictures.
        label, colon, rest = text.partition("：")
        cell = " ".join(_image(name, label if colon else None) for name in pictures)
        lines.append(f"| {cell} | **{label}**{colon}{rest} |" if colon else f"| {cell} | {text} |")
    return lines


def desk_guide(blocks):
    """The desk guide's Markdown text."""
    out = [NOTICE, ""]
    for block in blocks:
        if block.kind == "heading":
            out.append("#" * block.level + " " + block.text)
        elif block.kind == "list":
            out += _list(block.items)
        elif block.text:
            out.append(block.text)
        if block.pictures:
            if block.text:
                out.append("")
            out.append(" ".join(_image(name, None) for name in block.pictures))
        out.append("")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    text = desk_guide(read_guide())
    if args.check:
        if not GUIDE.is_file() or GUIDE.read_text(encoding="utf-8") != text:
            print(f"{GUIDE} is out of date: run tools/release/desk_guide.py", file=sys.stderr)
            return 1
        return 0
    GUIDE.write_text(text, encoding="utf-8")
    print(f"wrote {GUIDE}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
