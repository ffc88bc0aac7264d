// Dialog 104 of identview as it is stored in the program: frame, font and the seven controls
// with their ids, classes, styles, rectangles and texts.
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Class atoms of a classic dialog template.
const WORD ButtonAtom = 0x0080;
const WORD StaticAtom = 0x0082;

struct TemplateControl {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    WORD classAtom; // 0 when the class is given by name
    std::wstring text;
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::wstring caption;
    WORD points;
    std::wstring font;
    bool hasMenu;
    bool hasClass;
    std::vector<TemplateControl> controls;
};

class TemplateReader {
  public:
    explicit TemplateReader(const BYTE *data) : base_(data), at_(data) {}
    WORD Word() {
        WORD value;
        memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    std::wstring Text() {
        std::wstring text;
        for (WORD unit = Word(); unit != 0; unit = Word()) {
            text += static_cast<wchar_t>(unit);
        }
        return text;
    }
    // A name-or-ordinal field: returns the ordinal, or 0 with the name in *name.
    WORD NameOrOrdinal(std::wstring *name) {
        WORD first;
        memcpy(&first, at_, sizeof first);
        if (first == 0xFFFF) {
            Word();
            return Word();
        }
        *name = Text();
        return 0;
    }
    void AlignDword() {
        while ((at_ - base_) % 4 != 0) {
            ++at_;
        }
    }

  private:
    const BYTE *base_;
    const BYTE *at_;
};

DialogTemplate ReadDialog(const BYTE *data) {
    TemplateReader r(data);
    DialogTemplate d;
    d.style = r.Dword();
    d.exStyle = r.Dword();
    WORD count = r.Word();
    d.x = r.Word();
    d.y = r.Word();
    d.cx = r.Word();
    d.cy = r.Word();
    std::wstring name;
    d.hasMenu = r.NameOrOrdinal(&name) != 0 || !name.empty();
    name.clear();
    d.hasClass = r.NameOrOrdinal(&name) != 0 || !name.empty();
    d.caption = r.Text();
    d.points = 0;
    if (d.style & DS_SETFONT) {
        d.points = r.Word();
        d.font = r.Text();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        TemplateControl c;
        c.style = r.Dword();
        c.exStyle = r.Dword();
        c.x = r.Word();
        c.y = r.Word();
        c.cx = r.Word();
        c.cy = r.Word();
        c.id = r.Word();
        std::wstring className;
        c.classAtom = r.NameOrOrdinal(&className);
        std::wstring text;
        if (r.NameOrOrdinal(&text) == 0) {
            c.text = text;
        }
        WORD extra = r.Word();
        for (WORD b = 0; b < extra; b += 2) {
            r.Word();
        }
        d.controls.push_back(c);
    }
    return d;
}

const BYTE *LoadJapaneseDialog(int id) {
    HRSRC found = FindResourceExW(NULL, RT_DIALOG, MAKEINTRESOURCEW(id),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
    if (found == NULL) {
        return NULL;
    }
    return static_cast<const BYTE *>(LockResource(LoadResource(NULL, found)));
}

TEST(IdentityDialogTemplate, FrameAndFont) {
    const BYTE *data = LoadJapaneseDialog(IDD_MAIN);
    ASSERT_NE(data, nullptr) << "dialog 104 in language 0x411";
    DialogTemplate d = ReadDialog(data);
    EXPECT_EQ(d.style, 0x80C800C0u);
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 107);
    EXPECT_EQ(d.cy, 130);
    EXPECT_FALSE(d.hasMenu);
    EXPECT_FALSE(d.hasClass);
    EXPECT_EQ(d.caption, L"CFカード情報表示");
    EXPECT_EQ(d.points, 9);
    EXPECT_EQ(d.font, L"System");
    EXPECT_EQ(d.controls.size(), 7u);
}

TEST(IdentityDialogTemplate, ControlsInTemplateOrder) {
    struct {
        WORD classAtom;
        WORD id;
        DWORD style;
        short x, y, cx, cy;
        const wchar_t *text;
    } expected[] = {
        {StaticAtom, 1001, 0x50000001, 13, 20, 80, 8, L""},
        {StaticAtom, 1002, 0x50000001, 13, 56, 80, 8, L""},
        {StaticAtom, 1004, 0x50000001, 13, 92, 80, 8, L""},
        {StaticAtom, 1005, 0x50000001, 13, 108, 80, 8, L""},
        {ButtonAtom, 0xFFFF, 0x50000007, 7, 7, 93, 28, L"\x3000PSID"},
        {ButtonAtom, 0xFFFF, 0x50000007, 7, 43, 93, 28, L"\x3000電話番号\x3000"},
        {ButtonAtom, 1003, 0x50000007, 7, 79, 93, 44, L""},
    };
    const BYTE *data = LoadJapaneseDialog(IDD_MAIN);
    ASSERT_NE(data, nullptr);
    DialogTemplate d = ReadDialog(data);
    ASSERT_EQ(d.controls.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < d.controls.size(); ++i) {
        const TemplateControl &c = d.controls[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(c.classAtom, expected[i].classAtom);
        EXPECT_EQ(c.id, expected[i].id);
        EXPECT_EQ(c.style, expected[i].style);
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.x, expected[i].x);
        EXPECT_EQ(c.y, expected[i].y);
        EXPECT_EQ(c.cx, expected[i].cx);
        EXPECT_EQ(c.cy, expected[i].cy);
        EXPECT_EQ(c.text, expected[i].text);
    }
}

} // namespace
