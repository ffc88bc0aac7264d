"""A small palette-index raster: the signal pictures are drawn into it pixel by pixel."""


class IndexImage:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.rows = [[background] * width for _ in range(height)]

    def fill(self, x0, y0, x1, y1, index):
        """Fills the rectangle x0..x1, y0..y1 (inclusive)."""
        for y in range(max(y0, 0), min(y1, self.height - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.width - 1) + 1):
                self.rows[y][x] = index

    def blit_mask(self, mask, left, top, index):
        """Sets index wherever the 1-bit PIL image mask has ink."""
        for y in range(mask.height):
            for x in range(mask.width):
                if mask.getpixel((x, y)):
                    self.rows[top + y][left + x] = index
