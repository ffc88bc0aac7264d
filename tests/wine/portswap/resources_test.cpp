// portswap's resources as built: dialogs 101 and 102 control by control, string 1 and icon 103.
#include "dialog_frame.h"
#include "port_list.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WORD ButtonClass = 0x0080;
const WORD StaticClass = 0x0082;
const WORD ComboBoxClass = 0x0085;

struct Control {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    short id;
    WORD classAtom;
    std::wstring text;
};

DialogTemplate ReadDialog(int id) {
    DialogTemplate d;
    EXPECT_TRUE(ReadDialogTemplate(NULL, id, &d)) << "dialog " << id;
    EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty()) << "dialog " << id << " has a menu";
    EXPECT_TRUE(!d.windowClass.isOrdinal && d.windowClass.text.empty())
        << "dialog " << id << " has a class";
    return d;
}

const DWORD Frame = 0x80C80AC0; // WS_POPUP WS_CAPTION WS_SYSMENU DS_MODALFRAME DS_SETFONT
                                // DS_CENTER DS_SETFOREGROUND
const DWORD Shown = WS_CHILD | WS_VISIBLE;
const short Unnamed = IDC_STATIC;
const wchar_t Cancel[] = L"キャンセル";

// Both dialogs share one untitled frame.
const DialogFrame PortDialogFrame = {Frame, 0, 124, 138, L"", L"System"};

void ExpectControls(const DialogTemplate &d, const std::vector<Control> &expected,
                    const char *what) {
    ASSERT_EQ(d.items.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem &got = d.items[i];
        const Control &want = expected[i];
        EXPECT_EQ(got.style, want.style) << what << " control " << i + 1;
        EXPECT_EQ(got.exStyle, want.exStyle) << what << " control " << i + 1;
        EXPECT_EQ(got.x, want.x) << what << " control " << i + 1;
        EXPECT_EQ(got.y, want.y) << what << " control " << i + 1;
        EXPECT_EQ(got.cx, want.cx) << what << " control " << i + 1;
        EXPECT_EQ(got.cy, want.cy) << what << " control " << i + 1;
        EXPECT_EQ(got.id, want.id) << what << " control " << i + 1;
        EXPECT_TRUE(IsOrdinal(got.windowClass, want.classAtom)) << what << " control " << i + 1;
        EXPECT_FALSE(got.title.isOrdinal) << what << " control " << i + 1;
        EXPECT_EQ(got.title.text, want.text) << what << " control " << i + 1;
    }
}

TEST(Resources, PortListDialogAsTabulated) {
    DialogTemplate d = ReadDialog(IDD_PORT_LIST);
    ExpectDialogFrame(d, PortDialogFrame, "dialog 101");
    std::vector<Control> expected = {
        {Shown | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 66, 116, 50, 14, IDCANCEL, ButtonClass, Cancel},
        {Shown | BS_PUSHBUTTON | WS_TABSTOP, 0, 8, 116, 50, 14, IDOK, ButtonClass, L"変更"},
    };
    for (int n = 1; n <= 9; ++n) {
        expected.push_back({Shown | SS_LEFT | WS_GROUP, 0, 24, short(8 + 12 * (n - 1)), 22, 8,
                            Unnamed, StaticClass, L"COM" + std::to_wstring(n) + L":"});
    }
    for (int n = 1; n <= 9; ++n) {
        expected.push_back({Shown | SS_LEFT | WS_GROUP, 0, 48, short(8 + 12 * (n - 1)), 76, 8,
                            short(999 + n), StaticClass, L""});
        EXPECT_EQ(PortRowIds[n - 1], 999 + n);
    }
    ExpectControls(d, expected, "dialog 101");
}

TEST(Resources, PortChangeDialogAsTabulated) {
    DialogTemplate d = ReadDialog(IDD_PORT_CHANGE);
    ExpectDialogFrame(d, PortDialogFrame, "dialog 102");
    const std::wstring explanation =
        L"\u3000赤外線ハードウェアのポートを変更する場合は、COM番号を選択して、[OK]ボタンを押して"
        L"ください。COM番号を変更すると、IrDAを使用したアプリケーションは使用できなくなります。"
        L"直接赤外線ポートを使用する以外はCOM番号を変更しないでください。";
    std::vector<Control> expected = {
        {Shown | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 66, 116, 50, 14, IDCANCEL, ButtonClass, Cancel},
        {Shown | BS_PUSHBUTTON | WS_TABSTOP, 0, 8, 116, 50, 14, IDOK, ButtonClass, L"OK"},
        {Shown | SS_LEFT | WS_GROUP, 0, 8, 8, 108, 64, Unnamed, StaticClass, explanation},
        {Shown | SS_LEFT | WS_GROUP, 0, 8, 80, 74, 8, Unnamed, StaticClass,
         L"赤外線ハードウェアポート"},
        {Shown | SS_RIGHT | WS_GROUP, 0, 17, 90, 61, 8, Unnamed, StaticClass,
         L"COM (デフォルト:2:)"},
        {Shown | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0, 84, 88, 32, 48,
         IDC_IRDA_PORT, ComboBoxClass, L""},
    };
    ExpectControls(d, expected, "dialog 102");
}

TEST(Resources, ResetNoticeString) {
    wchar_t text[1024] = {0};
    int length = LoadStringW(GetModuleHandleW(NULL), IDS_RESET_NOTICE, text, 1024);
    EXPECT_EQ(length, 75);
    EXPECT_STREQ(text,
                 L"設定を有効にするには、リセットが必要です。[OK]ボタンを押すと、自動的にリセット"
                 L"します。作業中のプログラムを全て閉じてから[OK]を押してください。");
    EXPECT_STREQ(ToolTitle, L"赤外線設定ツール");
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconGroupHolds32And16PixelImagesOf256Colours) {
    HMODULE module = GetModuleHandleW(NULL);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_PORTSWAP), RT_GROUP_ICON);
    ASSERT_NE(group, (HRSRC)NULL);
    const BYTE *data = static_cast<const BYTE *>(LockResource(LoadResource(module, group)));
    WORD count;
    memcpy(&count, data + 4, 2);
    ASSERT_EQ(count, 2);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
        sizes.push_back(entry.width);
        EXPECT_EQ(entry.width, entry.height);
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry.id), RT_ICON);
        ASSERT_NE(image, (HRSRC)NULL);
        BITMAPINFOHEADER header;
        memcpy(&header, LockResource(LoadResource(module, image)), sizeof header);
        EXPECT_EQ(header.biWidth, entry.width);
        EXPECT_EQ(header.biBitCount, 8) << "image of " << int(entry.width) << " pixels";
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

} // namespace
