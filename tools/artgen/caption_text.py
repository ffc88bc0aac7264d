"""Japanese captions rasterised without anti-aliasing, cropped to their ink."""

import subprocess

from PIL import Image, ImageDraw, ImageFont

FONT_FAMILY = "Noto Sans CJK JP"
FONT_FILE = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"


def find_font():
    """(path, face index) of the regular Japanese sans face the captions are set in."""
    try:
        ImageFont.truetype(FONT_FILE, 12, index=0)
        return FONT_FILE, 0
    except OSError:
        pass
    found = subprocess.run(
        ["fc-match", "-f", "%{file}\n%{index}", FONT_FAMILY + ":style=Regular"],
        capture_output=True,
        text=True,
        check=True,
    ).stdout.split("\n")
    return found[0], int(found[1])


class CaptionFont:
    def __init__(self, font_path, face_index, size):
        self.size = size
        self.font = ImageFont.truetype(font_path, size, index=face_index)
        family = self.font.getname()[0]
        if family != FONT_FAMILY:
            raise RuntimeError("captions need %s, found %s" % (FONT_FAMILY, family))

    def line_mask(self, text):
        """1-bit mask of one line in an em-high box: ink cropped left and right only, so
        lines of the same size share a baseline."""
        box_w = self.size * (len(text) + 2)
        box_h = self.size * 2
        image = Image.new("1", (box_w, box_h), 0)
        draw = ImageDraw.Draw(image)
        draw.fontmode = "1"  # monochrome rasterisation: no grey edges to threshold
        draw.text((self.size, 0), text, font=self.font, fill=1)
        left, _, right, _ = image.getbbox()
        return image.crop((left, 0, right, box_h))


def block_mask(font, lines, line_pitch):
    """Lines stacked line_pitch apart, each centred horizontally, cropped to the ink."""
    masks = [font.line_mask(line) for line in lines]
    width = max(m.width for m in masks)
    height = line_pitch * (len(lines) - 1) + masks[-1].height
    block = Image.new("1", (width, height), 0)
    for i, mask in enumerate(masks):
        block.paste(mask, ((width - mask.width) // 2, i * line_pitch), mask)
    return block.crop(block.getbbox())
