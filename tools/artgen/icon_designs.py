"""The program icons (the three tools and the PC setup program), each drawn by hand at 32x32
and 16x16."""

from icon_canvas import IconCanvas

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK_GREY = (68, 68, 68)
GREY = (128, 128, 128)
LIGHT_GREY = (192, 192, 192)
RED = (255, 0, 0)
DARK_RED = (128, 0, 0)
SMOKE_RED = (51, 0, 0)
YELLOW = (255, 255, 0)
GREEN = (0, 204, 0)
LAMP_GREEN = (0, 255, 0)
BLUE = (0, 0, 255)

BAR_COLOURS = (RED, YELLOW, YELLOW, GREEN, GREEN)


def _wavemeter(size):
    c = IconCanvas(size)
    if size == 32:
        # Antenna: a top bar with two thin arms funnelling into the mast, shaded on the
        # right, standing on a small foot.
        c.rect(0, 4, 10, 4, GREY)
        c.rect(0, 5, 10, 5, DARK_GREY)
        for y in range(6, 14):
            left = (y - 6) * 4 // 7
            c.pixel(left, y, GREY)
            c.pixel(10 - left, y, DARK_GREY)
        c.rect(4, 4, 5, 29, GREY)
        c.rect(6, 5, 6, 29, DARK_GREY)
        c.rect(2, 29, 8, 30, DARK_GREY)
        for k, colour in enumerate(BAR_COLOURS):
            left = 12 + 4 * k
            c.rect(left, 25 - 4 * k, left + 2, 29, colour, BLACK)
    else:

        def antenna(d, colour):
            d.line((0, 2, 4, 2), fill=colour)
            d.point((1, 3), fill=colour)
            d.point((3, 3), fill=colour)
            d.line((2, 2, 2, 14), fill=colour)

        c.shape(antenna, GREY)
        for k, colour in enumerate(BAR_COLOURS):
            left = 6 + 2 * k
            c.rect(left, 12 - 2 * k, left, 13, colour, BLACK)
    return c


GLYPH_C_LARGE = [
    ".#####.",
    "##...##",
    "##.....",
    "##.....",
    "##.....",
    "##.....",
    "##.....",
    "##...##",
    ".#####.",
]
GLYPH_F_LARGE = [
    "#######",
    "##.....",
    "##.....",
    "##.....",
    "######.",
    "##.....",
    "##.....",
    "##.....",
    "##.....",
]
GLYPH_C_SMALL = ["###", "#..", "#..", "#..", "###"]
GLYPH_F_SMALL = ["###", "#..", "##.", "#..", "#.."]


def _identview(size):
    c = IconCanvas(size)
    if size == 32:
        # Lamps first so the card's outline runs across their feet.
        c.rect(7, 4, 10, 7, LAMP_GREEN, BLACK)
        c.rect(14, 4, 17, 7, RED, BLACK)
        c.shape(lambda d, col: d.rounded_rectangle((3, 8, 28, 28), 2, fill=col), LIGHT_GREY,
                DARK_GREY)
        c.rect(4, 9, 27, 9, WHITE)  # light catching the top edge
        c.glyph(GLYPH_C_LARGE, 8, 12, BLUE)
        c.glyph(GLYPH_F_LARGE, 17, 12, BLUE)
        for x in range(5, 27, 2):  # the connector's pin holes
            c.pixel(x, 26, DARK_GREY)
    else:
        c.rect(3, 2, 4, 3, LAMP_GREEN, BLACK)
        c.rect(8, 2, 9, 3, RED, BLACK)
        c.shape(lambda d, col: d.rectangle((2, 5, 13, 14), fill=col), LIGHT_GREY, DARK_GREY)
        c.glyph(GLYPH_C_SMALL, 4, 7, BLUE)
        c.glyph(GLYPH_F_SMALL, 9, 7, BLUE)
        for x in range(3, 13, 2):
            c.pixel(x, 13, DARK_GREY)
    return c


GLYPH_COM = [
    "###.###.#...#",
    "#...#.#.##.##",
    "#...#.#.#.#.#",
    "#...#.#.#...#",
    "###.###.#...#",
]


def _portswap(size):
    c = IconCanvas(size)
    if size == 32:
        # Infrared window sending waves to the right.
        c.shape(lambda d, col: d.rounded_rectangle((2, 3, 9, 15), 2, fill=col), SMOKE_RED,
                BLACK)
        c.rect(3, 5, 3, 12, DARK_RED)
        for radius in (4, 8, 12):
            c.shape(lambda d, col, r=radius: d.arc((10 - r, 9 - r, 10 + r, 9 + r), -45, 45,
                                                   fill=col, width=2), RED)
        # Serial connector shell labelled COM.
        c.shape(lambda d, col: d.polygon(((8, 20), (30, 20), (28, 29), (10, 29)), fill=col),
                LIGHT_GREY, DARK_GREY)
        c.glyph(GLYPH_COM, 13, 22, BLACK)
        for x in range(12, 28, 3):
            c.pixel(x, 27, DARK_GREY)
        # Double arrow: the two ports trade places.
        c.shape(lambda d, col: (d.line((4, 19, 4, 29), fill=col),
                                d.line((2, 21, 4, 19, 6, 21), fill=col),
                                d.line((2, 27, 4, 29, 6, 27), fill=col)), BLUE)
    else:
        c.shape(lambda d, col: d.rectangle((1, 1, 4, 7), fill=col), SMOKE_RED, BLACK)
        for radius in (3, 6):
            c.shape(lambda d, col, r=radius: d.arc((4 - r, 4 - r, 4 + r, 4 + r), -45, 45,
                                                   fill=col), RED)
        c.shape(lambda d, col: d.polygon(((4, 10), (14, 10), (13, 14), (5, 14)), fill=col),
                LIGHT_GREY, DARK_GREY)
        for x in range(6, 13, 2):
            c.pixel(x, 12, BLACK)
        c.shape(lambda d, col: (d.line((1, 9, 1, 15), fill=col), d.point((0, 10), fill=col),
                                d.point((2, 10), fill=col), d.point((0, 14), fill=col),
                                d.point((2, 14), fill=col)), BLUE)
    return c


def _setup(size):
    c = IconCanvas(size)
    if size == 32:
        # The PC's screen on its stand, the handheld in its cradle, an arrow from one to the
        # other: the cabinet goes from the PC to the device.
        c.rect(1, 3, 18, 16, LIGHT_GREY, DARK_GREY)
        c.rect(3, 5, 16, 14, BLUE)
        c.rect(7, 18, 12, 19, GREY, DARK_GREY)
        c.rect(3, 21, 16, 22, LIGHT_GREY, DARK_GREY)
        c.rect(22, 8, 29, 26, LIGHT_GREY, DARK_GREY)
        c.rect(23, 10, 28, 17, WHITE)
        c.rect(21, 27, 30, 29, GREY, DARK_GREY)
        c.shape(lambda d, col: d.polygon(((9, 24), (15, 24), (15, 21), (20, 26), (15, 31),
                                          (15, 28), (9, 28)), fill=col), GREEN, BLACK)
    else:
        c.rect(1, 2, 9, 8, LIGHT_GREY, DARK_GREY)
        c.rect(2, 3, 8, 7, BLUE)
        c.rect(4, 10, 6, 10, GREY, DARK_GREY)
        c.rect(11, 4, 14, 13, LIGHT_GREY, DARK_GREY)
        c.rect(12, 5, 13, 8, WHITE)
        c.shape(lambda d, col: d.polygon(((3, 12), (6, 12), (6, 11), (8, 13), (6, 15), (6, 14),
                                          (3, 14)), fill=col), GREEN, BLACK)
    return c


# (file path below the repository root, drawing function)
ICONS = (
    ("wavemeter/art/wavemeter.ico", _wavemeter),
    ("identview/art/identview.ico", _identview),
    ("portswap/art/portswap.ico", _portswap),
    ("setup/art/setup.ico", _setup),
)


def icons():
    """(path, [32x32 canvas, 16x16 canvas]) for each icon."""
    return [(path, [draw(32), draw(16)]) for path, draw in ICONS]
