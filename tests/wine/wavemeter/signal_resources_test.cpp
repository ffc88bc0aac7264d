// wavemeter.exe as built: the signal dialog's template and the twelve bitmaps it shows.
#include "dialog_frame.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class SignalResources : public ::testing::Test {
  protected:
    void SetUp() override {
        program = LoadToolImage("wavemeter.exe");
        ASSERT_NE(program, (HMODULE)NULL) << "built wavemeter.exe";
    }
    void TearDown() override {
        if (program != NULL) {
            FreeLibrary(program);
        }
    }
    HMODULE program = NULL;
};

TEST_F(SignalResources, DialogFrameWithoutControls) {
    DialogTemplate d;
    ASSERT_TRUE(ReadDialogTemplate(program, IDD_MAIN, &d)) << "dialog 104 in language 0x411";
    // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    ExpectDialogFrame(d, {0x80C800C0u, 0, 111, 61, L"CFカード電波状態表示", L"System"});
    EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty()) << "no menu";
    EXPECT_TRUE(!d.windowClass.isOrdinal && d.windowClass.text.empty()) << "no class";
    EXPECT_TRUE(d.items.empty()) << "the pictures are made at run time";
}

// Stored as device-independent bitmaps: header, 16-colour palette, 4 bits per pixel, no
// compression.
TEST_F(SignalResources, TwelveFourBitBitmaps) {
    const struct {
        int id;
        LONG width, height;
    } bitmaps[] = {
        {IDB_SIGNAL_BARS_0, 64, 64},      {IDB_SIGNAL_BARS_1, 64, 64},
        {IDB_SIGNAL_BARS_2, 64, 64},      {IDB_SIGNAL_BARS_3, 64, 64},
        {IDB_SIGNAL_BARS_4, 64, 64},      {IDB_SIGNAL_BARS_5, 64, 64},
        {IDB_SIGNAL_OUT_OF_AREA, 64, 64}, {IDB_SIGNAL_UNAVAILABLE, 64, 64},
        {IDB_SIGNAL_ACQUIRING, 64, 64},   {IDB_BADGE_PUBLIC, 24, 12},
        {IDB_BADGE_HOME, 24, 12},         {IDB_SIGNAL_TRANSCEIVER, 64, 64},
    };
    for (const auto &b : bitmaps) {
        SCOPED_TRACE(testing::Message() << "bitmap " << b.id);
        HRSRC found = FindResourceExW(program, RT_BITMAP, MAKEINTRESOURCEW(b.id),
                                      MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        ASSERT_NE(found, (HRSRC)NULL);
        const BITMAPINFOHEADER *header =
            static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(program, found)));
        ASSERT_NE(header, (const BITMAPINFOHEADER *)NULL);
        ASSERT_GE(SizeofResource(program, found), sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header->biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header->biWidth, b.width);
        EXPECT_EQ(header->biHeight, b.height);
        EXPECT_EQ(header->biBitCount, 4);
        EXPECT_EQ(header->biCompression, (DWORD)BI_RGB);
        LONG stride = (b.width * 4 + 31) / 32 * 4;
        EXPECT_EQ(SizeofResource(program, found),
                  sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD) + stride * b.height);
    }
}

} // namespace
