// CenterOnParent on real windows: only the owner's client size counts, never its position.
#include "app_shell.h"

#include <gtest/gtest.h>

namespace {

HWND MakeWindow(HWND owner, int x, int y, int width, int height, DWORD style) {
    return CreateWindowExW(0, L"STATIC", L"", style, x, y, width, height, owner, NULL,
                           GetModuleHandleW(NULL), NULL);
}

TEST(CenterOnParent, UsesOwnerClientSizeFromScreenOrigin) {
    HWND owner = MakeWindow(NULL, 50, 60, 240, 294, WS_POPUP);
    ASSERT_NE(owner, (HWND)NULL);
    struct {
        int width, height;
        int x, y;
    } cases[] = {{170, 99, 35, 97}, {300, 99, 0, 97}, {100, 400, 70, 0}};
    for (const auto &c : cases) {
        HWND dialog = MakeWindow(owner, 5, 5, c.width, c.height, WS_POPUP);
        ASSERT_NE(dialog, (HWND)NULL);
        CenterOnParent(dialog, HWND_TOP, SWP_NOSIZE | SWP_NOZORDER);
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, c.width) << "size must not change";
        DestroyWindow(dialog);
    }
    DestroyWindow(owner);
}

TEST(CenterOnParent, TopmostWhenAsked) {
    HWND owner = MakeWindow(NULL, 0, 0, 240, 294, WS_POPUP);
    HWND dialog = MakeWindow(owner, 0, 0, 100, 100, WS_POPUP);
    CenterOnParent(dialog, HWND_TOPMOST, SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

} // namespace

// The shell's tool-supplied values, for linking its object into this test program.
const WCHAR ToolMutexName[] = L"shell test";
const DLGPROC ToolMainDialog = NULL;
