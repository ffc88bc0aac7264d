// Checks the committed artwork: the wavemeter's 4 bpp signal pictures and badges (file layout,
// palette, the antenna and bar geometry, the captions) and the three 8 bpp program icons.
// The files are parsed here byte by byte; no Windows headers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef ARTWORK_DIR
#error "ARTWORK_DIR must name the repository root"
#endif

namespace {

const int kBlack = 0;
const int kBackground = 7; // light grey

const uint32_t kVga16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

std::vector<uint8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

// Little-endian field reads; out-of-range reads give 0 and flag the data as short.
struct Bytes {
    const std::vector<uint8_t> &data;
    bool truncated = false;

    uint32_t Get(size_t offset, int size) {
        if (offset + size > data.size()) {
            truncated = true;
            return 0;
        }
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | data[offset + i];
        return value;
    }
    uint32_t U8(size_t offset) {
        return Get(offset, 1);
    }
    uint32_t U16(size_t offset) {
        return Get(offset, 2);
    }
    uint32_t U32(size_t offset) {
        return Get(offset, 4);
    }
    int32_t S32(size_t offset) {
        return static_cast<int32_t>(Get(offset, 4));
    }
};

// BITMAPINFOHEADER fields, at `offset` in the data.
struct InfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint32_t planes;
    uint32_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    uint32_t colorsUsed;
};

InfoHeader ReadInfoHeader(Bytes &bytes, size_t offset) {
    InfoHeader h;
    h.size = bytes.U32(offset);
    h.width = bytes.S32(offset + 4);
    h.height = bytes.S32(offset + 8);
    h.planes = bytes.U16(offset + 12);
    h.bitCount = bytes.U16(offset + 14);
    h.compression = bytes.U32(offset + 16);
    h.sizeImage = bytes.U32(offset + 20);
    h.colorsUsed = bytes.U32(offset + 32);
    return h;
}

size_t RowStride(int width, int bits) {
    return static_cast<size_t>((width * bits + 31) / 32 * 4);
}

struct Bitmap {
    uint32_t fileSizeField = 0;
    uint32_t pixelOffset = 0;
    size_t fileSize = 0;
    InfoHeader info = {};
    std::vector<uint32_t> palette; // 0xRRGGBB
    std::vector<int> pixels;       // palette indices, top row first
    bool complete = false;

    int At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * info.width + x];
    }
};

// Reads a bottom-up 4 bpp BMP; `complete` is false when the file is missing or short.
Bitmap LoadBitmap(const std::string &name) {
    const std::vector<uint8_t> data = ReadFile(ARTWORK_DIR "/wavemeter/art/" + name);
    Bytes bytes{data};
    Bitmap bmp;
    bmp.fileSize = data.size();
    if (bytes.U16(0) != 0x4D42) // "BM"
        return bmp;
    bmp.fileSizeField = bytes.U32(2);
    bmp.pixelOffset = bytes.U32(10);
    bmp.info = ReadInfoHeader(bytes, 14);
    const InfoHeader &h = bmp.info;
    if (h.bitCount != 4 || h.width <= 0 || h.height <= 0 || h.width > 1024 || h.height > 1024)
        return bmp;
    for (int i = 0; i < 16; ++i) {
        const size_t entry = 14 + h.size + 4 * i; // RGBQUAD: blue, green, red, reserved
        bmp.palette.push_back(bytes.U8(entry + 2) << 16 | bytes.U8(entry + 1) << 8 |
                              bytes.U8(entry));
    }
    const size_t stride = RowStride(h.width, 4);
    bmp.pixels.resize(static_cast<size_t>(h.width) * h.height);
    for (int y = 0; y < h.height; ++y) {
        const size_t row = bmp.pixelOffset + (h.height - 1 - y) * stride;
        for (int x = 0; x < h.width; ++x) {
            const uint32_t pair = bytes.U8(row + x / 2);
            bmp.pixels[static_cast<size_t>(y) * h.width + x] = x % 2 ? pair & 15 : pair >> 4;
        }
    }
    bmp.complete = !bytes.truncated;
    return bmp;
}

struct Rect {
    int left, top, right, bottom; // inclusive

    bool Contains(int x, int y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

// Number of pixels in r with the given index.
int Count(const Bitmap &bmp, const Rect &r, int index) {
    int n = 0;
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x)
            n += bmp.At(x, y) == index;
    return n;
}

int Area(const Rect &r) {
    return (r.right - r.left + 1) * (r.bottom - r.top + 1);
}

// Signal picture geometry (x to the right, y = row from the top).
const Rect kTopBar = {3, 10, 29, 12};
const Rect kMast = {15, 10, 17, 54};
const int kAntennaRight = 29; // right end of the top bar
const int kArmsBottom = 28;   // last row of the arms, where they meet the mast
const int kMastAxis = 16;     // the antenna is symmetric about this column
const int kBarBottom = 54;
const int kBarWidth = 4;
const int kBarLefts[5] = {24, 32, 40, 48, 56};
const int kBarHeights[5] = {18, 24, 30, 36, 42};

Rect BarRect(int j) {
    return {kBarLefts[j], kBarBottom - kBarHeights[j] + 1, kBarLefts[j] + kBarWidth - 1,
            kBarBottom};
}

bool InAnyBar(int x, int y) {
    for (int j = 0; j < 5; ++j)
        if (BarRect(j).Contains(x, y))
            return true;
    return false;
}

struct PictureFile {
    const char *name;
    int width;
    int height;
};

const PictureFile kAllPictures[] = {
    {"signal_out_of_area.bmp", 64, 64}, {"signal_bars_0.bmp", 64, 64},
    {"signal_bars_1.bmp", 64, 64},      {"signal_bars_2.bmp", 64, 64},
    {"signal_bars_3.bmp", 64, 64},      {"signal_bars_4.bmp", 64, 64},
    {"signal_bars_5.bmp", 64, 64},      {"signal_transceiver.bmp", 64, 64},
    {"signal_acquiring.bmp", 64, 64},   {"signal_unavailable.bmp", 64, 64},
    {"badge_public.bmp", 24, 12},       {"badge_home.bmp", 24, 12},
};

// Pictures 1..6: the antenna with 0..5 bars.
const char *const kAntennaPictures[6] = {
    "signal_bars_0.bmp", "signal_bars_1.bmp", "signal_bars_2.bmp",
    "signal_bars_3.bmp", "signal_bars_4.bmp", "signal_bars_5.bmp",
};

TEST(ArtworkBitmap, HeadersPaletteAndColours) {
    for (const PictureFile &file : kAllPictures) {
        SCOPED_TRACE(file.name);
        const Bitmap bmp = LoadBitmap(file.name);
        ASSERT_TRUE(bmp.complete);
        const InfoHeader &h = bmp.info;
        const size_t stride = RowStride(file.width, 4);
        EXPECT_EQ(bmp.fileSize, bmp.fileSizeField);
        EXPECT_EQ(14u + 40u + 16u * 4u, bmp.pixelOffset);
        EXPECT_EQ(bmp.pixelOffset + stride * file.height, bmp.fileSize);
        EXPECT_EQ(40u, h.size);
        EXPECT_EQ(file.width, h.width);
        EXPECT_EQ(file.height, h.height); // positive: rows stored bottom-up
        EXPECT_EQ(1u, h.planes);
        EXPECT_EQ(4u, h.bitCount);
        EXPECT_EQ(0u, h.compression); // BI_RGB
        EXPECT_TRUE(h.sizeImage == 0 || h.sizeImage == stride * file.height);
        EXPECT_EQ(16u, h.colorsUsed);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(kVga16[i], bmp.palette[i]) << "palette entry " << i;

        const Rect all = {0, 0, file.width - 1, file.height - 1};
        EXPECT_EQ(Area(all), Count(bmp, all, kBlack) + Count(bmp, all, kBackground))
            << "only black and light grey may be used";
        EXPECT_EQ(kBackground, bmp.At(0, 0));
        EXPECT_EQ(kBackground, bmp.At(file.width - 1, 0));
        EXPECT_EQ(kBackground, bmp.At(0, file.height - 1));
        EXPECT_EQ(kBackground, bmp.At(file.width - 1, file.height - 1));
    }
}

TEST(ArtworkAntenna, TopBarMastAndBars) {
    for (int bars = 0; bars <= 5; ++bars) {
        SCOPED_TRACE(kAntennaPictures[bars]);
        const Bitmap bmp = LoadBitmap(kAntennaPictures[bars]);
        ASSERT_TRUE(bmp.complete);
        ASSERT_EQ(64, bmp.info.width);
        ASSERT_EQ(64, bmp.info.height);

        EXPECT_EQ(Area(kTopBar), Count(bmp, kTopBar, kBlack)) << "top bar";
        EXPECT_EQ(Area(kMast), Count(bmp, kMast, kBlack)) << "mast";
        EXPECT_EQ(0, Count(bmp, {0, 0, 63, kTopBar.top - 1}, kBlack)) << "above the antenna";
        EXPECT_EQ(0, Count(bmp, {0, kBarBottom + 1, 63, 63}, kBlack)) << "below the mast";

        for (int j = 0; j < 5; ++j) {
            SCOPED_TRACE("bar " + std::to_string(j + 1));
            const Rect bar = BarRect(j);
            const bool shown = j < bars;
            EXPECT_EQ(shown ? Area(bar) : 0, Count(bmp, bar, kBlack));
            // Above the bar, down from where the antenna's arms end over its columns.
            const int from = bar.left > kAntennaRight ? 0 : kArmsBottom + 1;
            EXPECT_EQ(0, Count(bmp, {bar.left, from, bar.right, bar.top - 1}, kBlack))
                << "above the bar";
            // The gap to the right of the bar, over the height of the next (taller) bar.
            const int gapTop = j < 4 ? BarRect(j + 1).top : bar.top;
            const int gapRight = j < 4 ? BarRect(j + 1).left - 1 : 63;
            EXPECT_EQ(0, Count(bmp, {bar.right + 1, gapTop, gapRight, kBarBottom}, kBlack))
                << "gap after the bar";
        }
    }
}

TEST(ArtworkAntenna, SymmetricWithArmsDownToTheMast) {
    const Bitmap bmp = LoadBitmap(kAntennaPictures[0]);
    ASSERT_TRUE(bmp.complete);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x <= 2 * kMastAxis; ++x)
            ASSERT_EQ(bmp.At(x, y), bmp.At(2 * kMastAxis - x, y)) << "x=" << x << " y=" << y;
    // Each row between the top bar and the join has arm pixels on both sides of the mast.
    for (int y = kTopBar.bottom + 1; y <= kArmsBottom; ++y) {
        EXPECT_GT(Count(bmp, {kTopBar.left, y, kMast.left - 1, y}, kBlack), 0) << "row " << y;
        EXPECT_GT(Count(bmp, {kMast.right + 1, y, kTopBar.right, y}, kBlack), 0) << "row " << y;
    }
}

TEST(ArtworkAntenna, IdenticalOutsideTheBars) {
    const Bitmap bare = LoadBitmap(kAntennaPictures[0]);
    ASSERT_TRUE(bare.complete);
    for (int bars = 1; bars <= 5; ++bars) {
        SCOPED_TRACE(kAntennaPictures[bars]);
        const Bitmap bmp = LoadBitmap(kAntennaPictures[bars]);
        ASSERT_TRUE(bmp.complete);
        int differences = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                differences += !InAnyBar(x, y) && bmp.At(x, y) != bare.At(x, y);
        EXPECT_EQ(0, differences);
    }
}

// Rows (or columns) holding ink, grouped into runs separated by blank ones.
int InkBands(const Bitmap &bmp, bool rows) {
    const int outer = rows ? bmp.info.height : bmp.info.width;
    int bands = 0;
    bool previous = false;
    for (int i = 0; i < outer; ++i) {
        const Rect line =
            rows ? Rect{0, i, bmp.info.width - 1, i} : Rect{i, 0, i, bmp.info.height - 1};
        const bool ink = Count(bmp, line, kBlack) > 0;
        bands += ink && !previous;
        previous = ink;
    }
    return bands;
}

Rect InkBox(const Bitmap &bmp) {
    Rect box = {bmp.info.width, bmp.info.height, -1, -1};
    for (int y = 0; y < bmp.info.height; ++y)
        for (int x = 0; x < bmp.info.width; ++x)
            if (bmp.At(x, y) == kBlack) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST(ArtworkCaption, CentredTextWithoutBars) {
    const struct {
        const char *name;
        int lines;
        int minInk; // black pixels a legible caption needs at least
    } cases[] = {
        {"signal_out_of_area.bmp", 1, 80}, {"signal_transceiver.bmp", 2, 80},
        {"signal_acquiring.bmp", 2, 150},  {"signal_unavailable.bmp", 2, 100},
        {"badge_public.bmp", 1, 30},       {"badge_home.bmp", 1, 30},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bmp = LoadBitmap(c.name);
        ASSERT_TRUE(bmp.complete);
        const int w = bmp.info.width, h = bmp.info.height;
        EXPECT_GE(Count(bmp, {0, 0, w - 1, h - 1}, kBlack), c.minInk);
        EXPECT_EQ(c.lines, InkBands(bmp, true)) << "lines of text";

        const Rect ink = InkBox(bmp);
        EXPECT_LE(std::abs(ink.left - (w - 1 - ink.right)), 1) << "horizontally centred";
        EXPECT_LE(std::abs(ink.top - (h - 1 - ink.bottom)), 1) << "vertically centred";
        if (w == 64) {
            EXPECT_GE(ink.left, 1);
            EXPECT_GE(ink.top, 1);
            EXPECT_LE(ink.right, w - 2);
            EXPECT_LE(ink.bottom, h - 2);
            for (int j = 0; j < 5; ++j)
                EXPECT_LT(Count(bmp, BarRect(j), kBlack), Area(BarRect(j))) << "bar " << j + 1;
            EXPECT_LT(Count(bmp, kMast, kBlack), Area(kMast)) << "mast";
        }
    }
}

// Icons: ICONDIR, then one 16-byte entry per image; each image a BITMAPINFOHEADER with
// doubled height, 256-entry palette, 8-bit XOR bitmap and 1-bit AND mask.
TEST(ArtworkIcon, TwoImagesAt8BitsWithTransparentCorners) {
    const struct {
        const char *path;
        std::vector<uint32_t> colours; // must appear in both sizes
    } cases[] = {
        {ARTWORK_DIR "/wavemeter/art/wavemeter.ico", {0x808080, 0xFF0000, 0xFFFF00, 0x00CC00}},
        {ARTWORK_DIR "/identview/art/identview.ico", {0xC0C0C0, 0x0000FF, 0x00FF00, 0xFF0000}},
        {ARTWORK_DIR "/portswap/art/portswap.ico", {0x330000, 0xFF0000, 0xC0C0C0}},
        {ARTWORK_DIR "/setup/art/setup.ico", {0xC0C0C0, 0x0000FF, 0x00CC00, 0xFFFFFF}},
    };
    const int sizes[2] = {32, 16};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const std::vector<uint8_t> data = ReadFile(c.path);
        Bytes bytes{data};
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(0u, bytes.U16(0));
        EXPECT_EQ(1u, bytes.U16(2)); // icon
        ASSERT_EQ(2u, bytes.U16(4));
        for (int i = 0; i < 2; ++i) {
            const int size = sizes[i];
            SCOPED_TRACE(std::to_string(size) + "x" + std::to_string(size));
            const size_t entry = 6 + 16 * i;
            EXPECT_EQ(static_cast<uint32_t>(size), bytes.U8(entry));
            EXPECT_EQ(static_cast<uint32_t>(size), bytes.U8(entry + 1));
            EXPECT_EQ(0u, bytes.U8(entry + 2)); // 256 colours
            EXPECT_EQ(1u, bytes.U16(entry + 4));
            EXPECT_EQ(8u, bytes.U16(entry + 6));
            const uint32_t length = bytes.U32(entry + 8);
            const uint32_t offset = bytes.U32(entry + 12);
            ASSERT_LE(static_cast<size_t>(offset) + length, data.size());

            const InfoHeader h = ReadInfoHeader(bytes, offset);
            EXPECT_EQ(40u, h.size);
            EXPECT_EQ(size, h.width);
            EXPECT_EQ(2 * size, h.height);
            EXPECT_EQ(1u, h.planes);
            EXPECT_EQ(8u, h.bitCount);
            EXPECT_EQ(0u, h.compression);
            const size_t palette = offset + 40;
            const size_t xor0 = palette + 256 * 4;
            const size_t and0 = xor0 + RowStride(size, 8) * size;
            EXPECT_EQ(and0 + RowStride(size, 1) * size, static_cast<size_t>(offset) + length);

            std::vector<bool> seen(c.colours.size());
            int opaque = 0;
            bool clearCorners = true;
            for (int y = 0; y < size; ++y) {
                const int stored = size - 1 - y; // bottom-up
                for (int x = 0; x < size; ++x) {
                    const uint32_t index = bytes.U8(xor0 + stored * RowStride(size, 8) + x);
                    const bool clear =
                        (bytes.U8(and0 + stored * RowStride(size, 1) + x / 8) >> (7 - x % 8)) & 1;
                    const bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
                    if (corner && !clear)
                        clearCorners = false;
                    if (clear) {
                        EXPECT_EQ(0u, index) << "transparent pixel " << x << "," << y;
                        continue;
                    }
                    ++opaque;
                    const size_t q = palette + 4 * index;
                    const uint32_t rgb = bytes.U8(q + 2) << 16 | bytes.U8(q + 1) << 8 | bytes.U8(q);
                    for (size_t k = 0; k < c.colours.size(); ++k)
                        seen[k] = seen[k] || rgb == c.colours[k];
                }
            }
            ASSERT_FALSE(bytes.truncated);
            EXPECT_TRUE(clearCorners) << "background must be transparent";
            EXPECT_GT(opaque, size * size / 4);
            for (size_t k = 0; k < c.colours.size(); ++k)
                EXPECT_TRUE(seen[k]) << std::hex << "colour 0x" << c.colours[k];
        }
    }
}

} // namespace
