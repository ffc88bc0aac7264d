"""Byte-exact writers for the two file formats the programs load.

BMP: BITMAPFILEHEADER + BITMAPINFOHEADER, 4 bits per pixel, BI_RGB, 16-entry palette,
bottom-up rows padded to 4 bytes.
ICO: ICONDIR + one ICONDIRENTRY per image; each image is a BITMAPINFOHEADER with doubled
height, a 256-entry palette, the 8-bit XOR bitmap and the 1-bit AND mask (1 = transparent).
"""

import struct

BI_RGB = 0
INFO_HEADER_SIZE = 40
FILE_HEADER_SIZE = 14


def _row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def _info_header(width, height, bits, image_size, colours_used):
    return struct.pack(
        "<IiiHHIIiiII",
        INFO_HEADER_SIZE,
        width,
        height,
        1,  # planes
        bits,
        BI_RGB,
        image_size,
        0,  # horizontal resolution: unspecified
        0,  # vertical resolution: unspecified
        colours_used,
        0,  # all colours important
    )


def _palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def _pack_rows(width, height, rows, bits):
    """rows[y][x] top-down; returns bottom-up rows, each padded to 4 bytes."""
    stride = _row_stride(width, bits)
    per_byte = 8 // bits
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            shift = 8 - bits * (x % per_byte + 1)
            row[x // per_byte] |= (rows[y][x] & ((1 << bits) - 1)) << shift
        out += row
    return bytes(out)


def bmp4_bytes(width, height, rows, palette):
    """A 4 bpp BMP file from top-down rows of palette indices."""
    if len(palette) != 16:
        raise ValueError("a 4 bpp bitmap needs a 16-entry palette")
    pixels = _pack_rows(width, height, rows, 4)
    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 16 * 4
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = _info_header(width, height, 4, len(pixels), 16)
    return file_header + info + _palette_bytes(palette) + pixels


def ico8_bytes(images, palette):
    """An icon file from (size, rows, transparent) tuples; rows top-down palette indices,
    transparent[y][x] true where the background shows through."""
    if len(palette) != 256:
        raise ValueError("an 8 bpp icon needs a 256-entry palette")
    blobs = []
    for size, rows, transparent in images:
        # Transparent pixels are black in the XOR bitmap so the screen stays unchanged.
        xor_rows = [
            [0 if transparent[y][x] else rows[y][x] for x in range(size)] for y in range(size)
        ]
        mask_rows = [[1 if transparent[y][x] else 0 for x in range(size)] for y in range(size)]
        xor = _pack_rows(size, size, xor_rows, 8)
        mask = _pack_rows(size, size, mask_rows, 1)
        info = _info_header(size, size * 2, 8, len(xor) + len(mask), 0)
        blobs.append((size, info + _palette_bytes(palette) + xor + mask))

    header = struct.pack("<HHH", 0, 1, len(blobs))
    offset = len(header) + 16 * len(blobs)
    entries = b""
    for size, blob in blobs:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    return header + entries + b"".join(blob for _, blob in blobs)
