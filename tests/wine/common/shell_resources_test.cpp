// The shell resources compiled into both modem tools: About dialog, strings, accelerators, icon.
#include "dialog_frame.h"
#include "shell_resource.h"
#include "wince_compat.h"

#include <gtest/gtest.h>

namespace {

struct ToolResources {
    const char *exe;
    const wchar_t *title;
    const wchar_t *className;
    const wchar_t *aboutTitle;
    const wchar_t *versionLine;
};

const ToolResources Tools[] = {
    {"wavemeter.exe", L"PHS電波状態表示", L"WAVEMETER", L"WaveMeter のバージョン情報",
     L"WaveMeter Version 1.0"},
    {"identview.exe", L"PHS情報表示", L"IDENTVIEW", L"IdentView のバージョン情報",
     L"IdentView Version 1.0"},
};

// The class of a static control, stored as its predefined ordinal or by name.
bool IsStaticClass(const TemplateText &windowClass) {
    return windowClass.isOrdinal ? windowClass.ordinal == 0x0082
                                 : lstrcmpiW(windowClass.text.c_str(), L"Static") == 0;
}

class ShellResources : public ::testing::TestWithParam<ToolResources> {
  protected:
    void SetUp() override {
        module = LoadToolImage(GetParam().exe);
        ASSERT_NE(module, (HMODULE)NULL) << GetParam().exe;
    }
    void TearDown() override {
        FreeLibrary(module);
    }
    HMODULE module = NULL;
};

TEST_P(ShellResources, AboutDialogAsTabulated) {
    DialogTemplate about;
    ASSERT_TRUE(ReadDialogTemplate(module, IDD_ABOUT, &about));
    ExpectDialogFrame(about, {0x80C800C0u, static_cast<DWORD>(WS_EX_CAPTIONOKBTN), 125, 55,
                              GetParam().aboutTitle, L"ＭＳ Ｐゴシック"});
    EXPECT_FALSE(about.menu.isOrdinal);
    EXPECT_EQ(about.menu.text, L"");

    ASSERT_EQ(about.items.size(), 3u);
    struct {
        DWORD style;
        short x, y, cx, cy;
    } expected[] = {
        {WS_CHILD | WS_VISIBLE | SS_ICON, 11, 17, 20, 20},
        {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP, 38, 10, 70, 8},
        {WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 38, 25, 70, 8},
    };
    for (size_t i = 0; i < 3; ++i) {
        const TemplateItem &item = about.items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(item.id, -1);
        EXPECT_EQ(item.style, expected[i].style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.x, expected[i].x);
        EXPECT_EQ(item.y, expected[i].y);
        EXPECT_EQ(item.cx, expected[i].cx);
        EXPECT_EQ(item.cy, expected[i].cy);
        EXPECT_TRUE(IsStaticClass(item.windowClass));
    }
    EXPECT_TRUE(about.items[0].title.isOrdinal);
    EXPECT_EQ(about.items[0].title.ordinal, IDI_APP);
    EXPECT_EQ(about.items[1].title.text, GetParam().versionLine);
    EXPECT_FALSE(about.items[2].title.text.empty());
}

TEST_P(ShellResources, StringTableHoldsTitleAndClass) {
    WCHAR text[100];
    ASSERT_GT(LoadStringW(module, IDS_MAIN_TITLE, text, 100), 0);
    EXPECT_STREQ(text, GetParam().title);
    ASSERT_GT(LoadStringW(module, IDS_MAIN_CLASS, text, 100), 0);
    EXPECT_STREQ(text, GetParam().className);
    // The strings are Japanese resources.
    EXPECT_NE(FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(1),
                              MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
              (HRSRC)NULL);
}

// An accelerator entry as stored in the resource (ACCELTABLEENTRY).
#pragma pack(push, 2)
struct StoredAccelerator {
    WORD flags;
    WORD key;
    WORD command;
    WORD padding;
};
#pragma pack(pop)

TEST_P(ShellResources, AcceleratorTableAltSlashAndAltF4) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_MAIN_ACCEL),
                                reinterpret_cast<LPCWSTR>(RT_ACCELERATOR));
    ASSERT_NE(found, (HRSRC)NULL);
    ASSERT_EQ(SizeofResource(module, found), 2 * sizeof(StoredAccelerator));
    const StoredAccelerator *table =
        static_cast<const StoredAccelerator *>(LockResource(LoadResource(module, found)));
    const WORD Last = 0x80;
    EXPECT_EQ(table[0].flags, FALT | FNOINVERT) << "Alt + '/' taken as a character";
    EXPECT_EQ(table[0].key, 0x2F);
    EXPECT_EQ(table[0].command, IDM_ABOUT);
    EXPECT_EQ(table[1].flags, FVIRTKEY | FALT | FNOINVERT | Last);
    EXPECT_EQ(table[1].key, VK_F4);
    EXPECT_EQ(table[1].command, IDM_EXIT);
}

TEST_P(ShellResources, IconHasBothSizes) {
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, (HICON)NULL) << size;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour;
        ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof colour, &colour));
        EXPECT_EQ(colour.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

INSTANTIATE_TEST_SUITE_P(ModemTools, ShellResources, ::testing::ValuesIn(Tools));

} // namespace
