// The signal pictures and badges on a real signal dialog: creation, switching, destruction.
#include "resource.h"
#include "signal_dialog.h"
#include "signal_display.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ExpectedWindow {
    const wchar_t *name;
    int id;
    int x, y;
    int bitmapWidth, bitmapHeight;
};

// Pictures 0 to 9, then the public and the private badge.
const ExpectedWindow ExpectedWindows[] = {
    {L"BM0", IDB_SIGNAL_OUT_OF_AREA, 66, 25, 64, 64},
    {L"BM1", IDB_SIGNAL_BARS_0, 66, 25, 64, 64},
    {L"BM2", IDB_SIGNAL_BARS_1, 66, 25, 64, 64},
    {L"BM3", IDB_SIGNAL_BARS_2, 66, 25, 64, 64},
    {L"BM4", IDB_SIGNAL_BARS_3, 66, 25, 64, 64},
    {L"BM5", IDB_SIGNAL_BARS_4, 66, 25, 64, 64},
    {L"BM6", IDB_SIGNAL_BARS_5, 66, 25, 64, 64},
    {L"BM7", IDB_SIGNAL_TRANSCEIVER, 66, 25, 64, 64},
    {L"BM8", IDB_SIGNAL_ACQUIRING, 66, 25, 64, 64},
    {L"BM9", IDB_SIGNAL_UNAVAILABLE, 66, 25, 64, 64},
    {L"KOUSHU", IDB_BADGE_PUBLIC, 112, 9, 24, 12},
    {L"JIEI", IDB_BADGE_HOME, 112, 9, 24, 12},
};

HWND Slot(int i) {
    return i < SignalPictureCount ? SignalPictures[i] : ModeBadges[i - SignalPictureCount];
}

class SignalDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = OpenSignalDialog();
        ASSERT_NE(dialog, (HWND)NULL);
    }
    void TearDown() override {
        if (dialog != NULL) {
            DestroyWindow(dialog);
        }
    }
    HWND dialog = NULL;
};

TEST_F(SignalDisplayTest, TwelveBitmapWindowsInTheDialog) {
    for (int i = 0; i < SignalPictureCount + ModeBadgeCount; ++i) {
        const ExpectedWindow &e = ExpectedWindows[i];
        SCOPED_TRACE(testing::Message() << "slot " << i);
        HWND window = Slot(i);
        ASSERT_NE(window, (HWND)NULL);
        EXPECT_EQ(GetParent(window), dialog);
        EXPECT_EQ(GetDlgItem(dialog, e.id), window);

        WCHAR text[32];
        GetWindowTextW(window, text, 32);
        EXPECT_EQ(std::wstring(text), e.name);
        WCHAR className[32];
        GetClassNameW(window, className, 32);
        EXPECT_EQ(_wcsicmp(className, L"Static"), 0);

        LONG style = GetWindowLongW(window, GWL_STYLE);
        LONG expectedStyle = WS_CHILD | SS_BITMAP | (i == 8 ? WS_VISIBLE : 0);
        EXPECT_EQ(style & ~(WS_CLIPSIBLINGS), expectedStyle);
        EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);

        RECT r;
        GetWindowRect(window, &r);
        POINT origin = {r.left, r.top};
        ScreenToClient(dialog, &origin);
        EXPECT_EQ(origin.x, e.x);
        EXPECT_EQ(origin.y, e.y);

        // Each window holds the bitmap of its own id.
        HBITMAP bitmap =
            reinterpret_cast<HBITMAP>(SendMessageW(window, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(bitmap, (HBITMAP)NULL);
        BITMAP info;
        ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), (int)sizeof info);
        EXPECT_EQ(info.bmWidth, e.bitmapWidth);
        EXPECT_EQ(info.bmHeight, e.bitmapHeight);
    }
}

TEST_F(SignalDisplayTest, OnlyAcquiringPictureAfterCreation) {
    EXPECT_EQ(VisiblePictures(), std::vector<int>{8});
    EXPECT_EQ(VisibleBadges(), std::vector<int>{});
}

// Every picture with every kind of badge value, each coming after every previous state, shows
// exactly the requested picture and at most the requested badge.
TEST_F(SignalDisplayTest, ExactlyOnePictureAndAtMostOneBadge) {
    const int badges[] = {-1, 0, 1, 2, -2, 100};
    const int before[][2] = {{8, -1}, {0, 0}, {6, 1}, {9, -1}, {3, 0}};
    for (const auto &previous : before) {
        for (int picture = 0; picture < SignalPictureCount; ++picture) {
            for (int badge : badges) {
                ShowSignalState(previous[0], previous[1]);
                ShowSignalState(picture, badge);
                SCOPED_TRACE(testing::Message() << "after (" << previous[0] << ", " << previous[1]
                                                << "): (" << picture << ", " << badge << ")");
                EXPECT_EQ(VisiblePictures(), std::vector<int>{picture});
                std::vector<int> expectedBadges;
                if (badge == 0 || badge == 1) {
                    expectedBadges.push_back(badge);
                }
                EXPECT_EQ(VisibleBadges(), expectedBadges);
            }
        }
    }
}

TEST_F(SignalDisplayTest, BadgeHiddenByLaterCall) {
    struct Step {
        int picture, badge;
        std::vector<int> pictures, badges;
    } steps[] = {
        {3, 0, {3}, {0}}, {3, -1, {3}, {}}, {5, 1, {5}, {1}}, {5, 2, {5}, {}},
        {1, 1, {1}, {1}}, {1, 0, {1}, {0}}, {0, -1, {0}, {}}, {7, -1, {7}, {}},
    };
    for (const Step &s : steps) {
        ShowSignalState(s.picture, s.badge);
        EXPECT_EQ(VisiblePictures(), s.pictures) << s.picture << ", " << s.badge;
        EXPECT_EQ(VisibleBadges(), s.badges) << s.picture << ", " << s.badge;
    }
}

TEST_F(SignalDisplayTest, DestroyClearsEverySlotAndReleasesBitmaps) {
    HWND windows[SignalPictureCount + ModeBadgeCount];
    HGDIOBJ bitmaps[SignalPictureCount + ModeBadgeCount];
    for (int i = 0; i < SignalPictureCount + ModeBadgeCount; ++i) {
        windows[i] = Slot(i);
        bitmaps[i] =
            reinterpret_cast<HGDIOBJ>(SendMessageW(windows[i], STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    ShowSignalState(4, 0);
    ASSERT_TRUE(DestroyWindow(dialog));
    dialog = NULL;
    for (int i = 0; i < SignalPictureCount + ModeBadgeCount; ++i) {
        EXPECT_EQ(Slot(i), (HWND)NULL) << "slot " << i;
        EXPECT_FALSE(IsWindow(windows[i])) << "slot " << i;
        EXPECT_EQ(GetObjectType(bitmaps[i]), 0u) << "slot " << i;
    }
}

// The dialog can be opened again after it was closed, with fresh pictures.
TEST_F(SignalDisplayTest, ReopenedDialogStartsWithAcquiringPicture) {
    ShowSignalState(2, 1);
    DestroyWindow(dialog);
    dialog = OpenSignalDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(VisiblePictures(), std::vector<int>{8});
    EXPECT_EQ(VisibleBadges(), std::vector<int>{});
}

} // namespace
