"""Pixel drawing for the icons: shapes with a one-pixel outline on a transparent square."""

from PIL import Image, ImageDraw

from palettes import icon_index


class IconCanvas:
    def __init__(self, size):
        self.size = size
        self.image = Image.new("RGBA", (size, size), (0, 0, 0, 0))

    def shape(self, draw_fn, fill, outline=None):
        """draw_fn(draw, fill) draws a shape; it goes on top of what is there, ringed by
        outline on the pixels beside it (left, right, above, below) that it leaves free."""
        layer = Image.new("RGBA", (self.size, self.size), (0, 0, 0, 0))
        draw_fn(ImageDraw.Draw(layer), fill + (255,))
        inside = [[layer.getpixel((x, y))[3] != 0 for x in range(self.size)]
                  for y in range(self.size)]
        for y in range(self.size):
            for x in range(self.size):
                if inside[y][x]:
                    self.image.putpixel((x, y), layer.getpixel((x, y)))
                elif outline is not None and self._touches(inside, x, y):
                    self.image.putpixel((x, y), outline + (255,))

    def _touches(self, inside, x, y):
        for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)):
            nx, ny = x + dx, y + dy
            if 0 <= nx < self.size and 0 <= ny < self.size and inside[ny][nx]:
                return True
        return False

    def rect(self, x0, y0, x1, y1, fill, outline=None):
        self.shape(lambda d, c: d.rectangle((x0, y0, x1, y1), fill=c), fill, outline)

    def pixel(self, x, y, colour):
        self.image.putpixel((x, y), colour + (255,))

    def glyph(self, rows, left, top, colour):
        """Draws a pixel glyph given as strings, '#' for ink."""
        for dy, row in enumerate(rows):
            for dx, mark in enumerate(row):
                if mark == "#":
                    self.pixel(left + dx, top + dy, colour)

    def indexed(self):
        """(size, rows of palette indices, transparent) as the icon writer takes them."""
        rows, transparent = [], []
        for y in range(self.size):
            row, clear = [], []
            for x in range(self.size):
                r, g, b, a = self.image.getpixel((x, y))
                row.append(icon_index((r, g, b)) if a else 0)
                clear.append(a == 0)
            rows.append(row)
            transparent.append(clear)
        return self.size, rows, transparent
