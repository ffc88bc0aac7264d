"""The wavemeter's signal pictures (64x64) and line badges (24x12).

Black drawing on the light grey background. Coordinates: x to the right, y = row from the
top, both 0-based, ranges inclusive.
"""

from caption_text import CaptionFont, block_mask
from index_image import IndexImage
from palettes import BLACK, LIGHT_GREY

PICTURE_SIZE = 64
BADGE_WIDTH = 24
BADGE_HEIGHT = 12

TOP_BAR = (3, 10, 29, 12)
MAST = (15, 10, 17, 54)
ARM_WIDTH = 4
ARM_TOP = 12  # the arms leave the ends of the top bar here ...
ARM_BOTTOM = 28  # ... and meet the mast here
MAST_AXIS = 16  # the antenna is symmetric about this column

BAR_LEFTS = (24, 32, 40, 48, 56)
BAR_WIDTH = 4
BAR_BOTTOM = 54
BAR_HEIGHTS = (18, 24, 30, 36, 42)

CAPTION_SIZE = 15
CAPTION_LINE_PITCH = 19
OUT_OF_AREA_SIZE = 24
BADGE_SIZE = 11


def _left_arm_start(y):
    # Runs from x = 3 at ARM_TOP to the mast's left edge at ARM_BOTTOM, rounded.
    span = MAST[0] - ARM_WIDTH + 1 - TOP_BAR[0]
    rows = ARM_BOTTOM - ARM_TOP
    return TOP_BAR[0] + (span * (y - ARM_TOP) + rows // 2) // rows


def antenna(bars):
    """The antenna with the first `bars` signal bars beside it."""
    image = IndexImage(PICTURE_SIZE, PICTURE_SIZE, LIGHT_GREY)
    image.fill(*TOP_BAR, BLACK)
    image.fill(*MAST, BLACK)
    for y in range(ARM_TOP, ARM_BOTTOM + 1):
        left = _left_arm_start(y)
        right = 2 * MAST_AXIS - left
        image.fill(left, y, left + ARM_WIDTH - 1, y, BLACK)
        image.fill(right - ARM_WIDTH + 1, y, right, y, BLACK)
    for left, height in list(zip(BAR_LEFTS, BAR_HEIGHTS))[:bars]:
        image.fill(left, BAR_BOTTOM - height + 1, left + BAR_WIDTH - 1, BAR_BOTTOM, BLACK)
    return image


def caption(font_file, lines, size, width, height):
    """Centred black text on the light grey background; two lines are CAPTION_LINE_PITCH
    apart."""
    font = CaptionFont(font_file[0], font_file[1], size)
    mask = block_mask(font, lines, CAPTION_LINE_PITCH)
    if mask.width > width or mask.height > height:
        raise RuntimeError("caption %r does not fit %dx%d" % (lines, width, height))
    image = IndexImage(width, height, LIGHT_GREY)
    image.blit_mask(mask, (width - mask.width) // 2, (height - mask.height) // 2, BLACK)
    return image


def pictures(font_file):
    """(file stem, IndexImage) for pictures 0..9, in picture number order."""

    def text(*lines, size=CAPTION_SIZE):
        return caption(font_file, lines, size, PICTURE_SIZE, PICTURE_SIZE)

    result = [("signal_out_of_area", text("圏外", size=OUT_OF_AREA_SIZE))]
    for bars in range(6):
        result.append(("signal_bars_%d" % bars, antenna(bars)))
    result += [
        ("signal_transceiver", text("トラン", "シーバ")),
        ("signal_acquiring", text("電波状態", "取得中")),
        ("signal_unavailable", text("取得でき", "ません")),
    ]
    return result


def badges(font_file):
    """(file stem, IndexImage) for the public and home line badges."""

    def badge(word):
        return caption(font_file, [word], BADGE_SIZE, BADGE_WIDTH, BADGE_HEIGHT)

    return [("badge_public", badge("公衆")), ("badge_home", badge("家庭"))]
