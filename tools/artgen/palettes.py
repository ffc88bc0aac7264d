"""Colour tables shared by the bitmaps and icons."""

# The 16-colour VGA palette in its standard order; the signal pictures use it.
VGA16 = [
    (0, 0, 0),  # 0 black
    (128, 0, 0),  # 1 dark red
    (0, 128, 0),  # 2 dark green
    (128, 128, 0),  # 3 olive
    (0, 0, 128),  # 4 navy
    (128, 0, 128),  # 5 purple
    (0, 128, 128),  # 6 teal
    (192, 192, 192),  # 7 light grey
    (128, 128, 128),  # 8 grey
    (255, 0, 0),  # 9 red
    (0, 255, 0),  # 10 green
    (255, 255, 0),  # 11 yellow
    (0, 0, 255),  # 12 blue
    (255, 0, 255),  # 13 magenta
    (0, 255, 255),  # 14 cyan
    (255, 255, 255),  # 15 white
]

BLACK = 0
LIGHT_GREY = 7


def _icon_palette():
    # VGA colours first, then a 6x6x6 colour cube and a 24-step grey ramp: 256 entries.
    colours = list(VGA16)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                colours.append((r, g, b))
    for i in range(24):
        v = 8 + 10 * i
        colours.append((v, v, v))
    assert len(colours) == 256
    return colours


ICON256 = _icon_palette()


def icon_index(rgb):
    """Palette index of an icon colour; icon drawings use palette colours only."""
    try:
        return ICON256.index(rgb)
    except ValueError:
        raise ValueError("colour %r is not in the icon palette" % (rgb,)) from None
