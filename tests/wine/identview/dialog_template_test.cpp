// Dialog 104 of identview as it is stored in the program: frame, font and the seven controls
// with their ids, classes, styles, rectangles and texts.
#include "dialog_frame.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Class atoms of a classic dialog template.
const WORD ButtonAtom = 0x0080;
const WORD StaticAtom = 0x0082;

TEST(IdentityDialogTemplate, FrameAndFont) {
    DialogTemplate d;
    ASSERT_TRUE(ReadDialogTemplate(NULL, IDD_MAIN, &d)) << "dialog 104 in language 0x411";
    ExpectDialogFrame(d, {0x80C800C0u, 0, 107, 130, L"CFカード情報表示", L"System"});
    EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty()) << "no menu";
    EXPECT_TRUE(!d.windowClass.isOrdinal && d.windowClass.text.empty()) << "no class";
    EXPECT_EQ(d.items.size(), 7u);
}

TEST(IdentityDialogTemplate, ControlsInTemplateOrder) {
    struct {
        WORD classAtom;
        short id;
        DWORD style;
        short x, y, cx, cy;
        const wchar_t *text;
    } expected[] = {
        {StaticAtom, 1001, 0x50000001, 13, 20, 80, 8, L""},
        {StaticAtom, 1002, 0x50000001, 13, 56, 80, 8, L""},
        {StaticAtom, 1004, 0x50000001, 13, 92, 80, 8, L""},
        {StaticAtom, 1005, 0x50000001, 13, 108, 80, 8, L""},
        {ButtonAtom, -1, 0x50000007, 7, 7, 93, 28, L"\x3000PSID"},
        {ButtonAtom, -1, 0x50000007, 7, 43, 93, 28, L"\x3000電話番号\x3000"},
        {ButtonAtom, 1003, 0x50000007, 7, 79, 93, 44, L""},
    };
    DialogTemplate d;
    ASSERT_TRUE(ReadDialogTemplate(NULL, IDD_MAIN, &d));
    ASSERT_EQ(d.items.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < d.items.size(); ++i) {
        const TemplateItem &c = d.items[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_TRUE(IsOrdinal(c.windowClass, expected[i].classAtom));
        EXPECT_EQ(c.id, expected[i].id);
        EXPECT_EQ(c.style, expected[i].style);
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.x, expected[i].x);
        EXPECT_EQ(c.y, expected[i].y);
        EXPECT_EQ(c.cx, expected[i].cx);
        EXPECT_EQ(c.cy, expected[i].cy);
        EXPECT_FALSE(c.title.isOrdinal);
        EXPECT_EQ(c.title.text, expected[i].text);
    }
}

} // namespace
