#!/usr/bin/env python3
"""Makes README.txt for the terminal from the guide's source: plain text without the pictures,
in Shift-JIS (code page 932, the terminal's ANSI code page, which its text viewers read) with
CR LF line ends, wrapped for the 240-pixel screen.

Widths are counted in columns of the terminal's 9-point font: a Shift-JIS character of one byte
(ASCII) is one column of 6 pixels, one of two bytes (Japanese) two columns, 12 pixels.

    python3 tools/release/device_readme.py [OUT]   # prints the widths; writes OUT when given
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import re  # noqa: E402
from pathlib import Path  # noqa: E402

from guide_source import GuideError, read_guide  # noqa: E402

ENCODING = "cp932"
PIXELS_PER_COLUMN = 6
SCREEN_PIXELS = 240
# Room for the text: the screen less the viewer's frame, margins and scroll bar.
COLUMNS = 36
# Japanese line-breaking rules: characters that never begin a line, and ones that never end it.
NO_LINE_START = set("、。，．・：；？！ー）」』】］〕’”ぁぃぅぇぉっゃゅょァィゥェォッャュョ々")
NO_LINE_END = set("（「『【［〔‘“")
HEADING_MARKS = {1: "", 2: "■", 3: "◆"}
# Unbreakable pieces, each with the no-start characters that follow it: a text quoted in 「」 or
# ［］, read as a whole against the screen; a run of Latin letters, digits, signs and katakana,
# whose words may be joined by single spaces (a path, a file name, a program's name:
# "\Program Files\PHS Tools", "Windows Mobile デバイス センター"); a run of spaces; or one
# character. A piece wider than the line is cut by the next rule, down to plain runs of Latin
# letters or katakana.
WORD = r"[!-~ァ-ヶー・]+(?: [!-~ァ-ヶー・]+)*"
GLUE = "[" + re.escape("".join(sorted(NO_LINE_START))) + "]*"
PIECES = [re.compile(rf"(?:「[^「」]*」|［[^［］]*］|{WORD}| +|.){GLUE}"),
          re.compile(rf"(?:{WORD}| +|.){GLUE}"),
          re.compile(r"[!-~]+|[ァ-ヶー・]+| +|.")]


def columns(text):
    return len(text.encode(ENCODING))


def pieces(text, width, rule=0):
    """text's unbreakable pieces, none wider than width unless the last rule can't cut it."""
    for piece in PIECES[rule].findall(text):
        if columns(piece) <= width or rule == len(PIECES) - 1:
            yield piece
        else:
            yield from pieces(piece, width, rule + 1)


def wrap(text, first, rest):
    """text in lines of at most COLUMNS columns; the first begins with first, the others with
    rest (the hanging indent of a list item)."""
    lines, line, prefix = [], [], first
    for piece in pieces(text, COLUMNS - max(columns(first), columns(rest))):
        room = COLUMNS - columns(prefix)
        if line and not piece.isspace() and columns("".join(line) + piece) > room:
            # line[cut:] and piece begin the next line; move the cut back while it would put a
            # no-start character first on the next line or a no-end one last on this one.
            cut = len(line)
            while cut > 1 and ((line[cut:] + [piece])[0][0] in NO_LINE_START
                               or line[cut - 1][-1] in NO_LINE_END):
                cut -= 1
            lines.append(prefix + "".join(line[:cut]).rstrip())
            line, prefix = line[cut:], rest
            if line and line[0].isspace():
                del line[0]  # a space at the break is dropped
        if line or not piece.isspace():
            line.append(piece)
    lines.append(prefix + "".join(line).rstrip())
    return lines


def readme_lines(blocks):
    """The read-me as lines of text, without line ends."""
    out = []
    for block in blocks:
        if block.kind == "heading":
            out += wrap(block.text, HEADING_MARKS.get(block.level, ""), "　")
        elif block.kind == "list":
            for marker, text, _ in block.items:
                bullet = "・" if marker == "-" else marker + " "
                indent = "　" if bullet == "・" else " " * columns(bullet)
                out += wrap(text, bullet, indent)
        elif block.kind == "paragraph":
            out += wrap(block.text, "", "")
        else:
            continue  # pictures: desk guide only
        out.append("")
    return out[:-1]


def readme_bytes(lines):
    """The file as the terminal reads it; GuideError names a character outside code page 932."""
    data = []
    for number, line in enumerate(lines, 1):
        try:
            data.append(f"{line}\r\n".encode(ENCODING))
        except UnicodeEncodeError as error:
            raise GuideError(f"README.txt line {number}: {error.object[error.start]!r} is not "
                             f"in code page 932: {line}") from None
    return b"".join(data)


def widest(lines):
    """(columns, line) of the widest line."""
    return max((columns(line), line) for line in lines)


def main():
    lines = readme_lines(read_guide())
    data = readme_bytes(lines)
    if len(sys.argv) > 1:
        Path(sys.argv[1]).write_bytes(data)
    width, line = widest(lines)
    print(f"README.txt: {len(lines)} lines, {len(data)} bytes ({ENCODING}, CR LF); widest line "
          f"{width} columns = {width * PIXELS_PER_COLUMN} px of the {SCREEN_PIXELS}-px screen "
          f"({width / 2:g} full-width characters): {line}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
