// CenterOnParent on real windows: only the owner's client size counts, never its position.
#include "app_shell.h"

#include <gtest/gtest.h>

namespace {

HWND MakeWindow(HWND owner, int x, int y, int width, int height, DWORD style) {
    return CreateWindowExW(0, L"STATIC", L"", style, x, y, width, height, owner, NULL,
                           GetModuleHandleW(NULL), NULL);
}

// An owner with a caption and a border, whose client area is 240 x 294 pixels: its window
// rectangle is larger, so a dialog placed by the owner's window size lands elsewhere.
HWND MakeFramedOwner(int x, int y) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, 240, 294};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return MakeWindow(NULL, x, y, frame.right - frame.left, frame.bottom - frame.top, style);
}

TEST(CenterOnParent, UsesOwnerClientSizeFromScreenOrigin) {
    HWND owner = MakeFramedOwner(50, 60);
    ASSERT_NE(owner, (HWND)NULL);
    RECT client, window;
    GetClientRect(owner, &client);
    GetWindowRect(owner, &window);
    ASSERT_EQ(client.right, 240);
    ASSERT_EQ(client.bottom, 294);
    ASSERT_GT(window.bottom - window.top, 294) << "the owner has no frame";
    struct {
        int width, height;
        int x, y;
    } cases[] = {{170, 99, 35, 97}, {300, 99, 0, 97}, {100, 400, 70, 0}};
    for (const auto &c : cases) {
        HWND dialog = MakeWindow(owner, 5, 5, c.width, c.height, WS_POPUP);
        ASSERT_NE(dialog, (HWND)NULL);
        SCOPED_TRACE(testing::Message() << "dialog " << c.width << " x " << c.height);
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
