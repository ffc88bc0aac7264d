"""A PNG overview of the signal pictures, badges and icons, enlarged for review."""

import io

from PIL import Image, ImageDraw, ImageFont

from palettes import ICON256, VGA16

SCALE = 3
MARGIN = 16
GAP = 24
LABEL_HEIGHT = 16
CELL = 64 * SCALE
PAPER = (255, 255, 255)
INK = (0, 0, 0)
CHECKS = ((224, 224, 224), (160, 160, 160))


def _enlarge(rows, palette, transparent=None):
    height, width = len(rows), len(rows[0])
    image = Image.new("RGB", (width, height))
    for y in range(height):
        for x in range(width):
            if transparent is not None and transparent[y][x]:
                # A checkerboard shows where the icon lets the background through.
                image.putpixel((x, y), CHECKS[(x // 2 + y // 2) % 2])
            else:
                image.putpixel((x, y), palette[rows[y][x]])
    return image.resize((width * SCALE, height * SCALE), Image.NEAREST)


def contact_sheet(pictures, badges, icons):
    """pictures, badges: (name, IndexImage); icons: (file name, [(size, rows, transparent)])."""
    columns = 4
    pitch = CELL + GAP
    picture_rows = (len(pictures) + 1 + columns - 1) // columns  # one cell holds the badges
    icon_top = MARGIN + picture_rows * (LABEL_HEIGHT + pitch)
    width = MARGIN * 2 + columns * pitch - GAP
    height = icon_top + LABEL_HEIGHT + 32 * SCALE + MARGIN
    sheet = Image.new("RGB", (width, height), PAPER)
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.load_default()

    def place(cell, label, image, dy=0):
        x = MARGIN + (cell % columns) * pitch
        y = MARGIN + (cell // columns) * (LABEL_HEIGHT + pitch) + dy
        draw.text((x, y), label, fill=INK, font=font)
        sheet.paste(image, (x, y + LABEL_HEIGHT))

    for number, (name, picture) in enumerate(pictures):
        place(number, "%d %s" % (number, name), _enlarge(picture.rows, VGA16))
    offset = 0
    for name, badge in badges:
        place(len(pictures), name, _enlarge(badge.rows, VGA16), offset)
        offset += LABEL_HEIGHT + badge.height * SCALE + GAP

    x = MARGIN
    for name, images in icons:
        draw.text((x, icon_top), name, fill=INK, font=font)
        for size, rows, transparent in images:
            sheet.paste(_enlarge(rows, ICON256, transparent), (x, icon_top + LABEL_HEIGHT))
            x += size * SCALE + GAP // 2
        x += GAP
    out = io.BytesIO()
    sheet.save(out, "PNG")
    return out.getvalue()
