// Creating, switching and destroying the signal pictures and badges.
#include "signal_display.h"
#include "app_shell.h"
#include "resource.h"

HWND SignalPictures[SignalPictureCount];
HWND ModeBadges[ModeBadgeCount];

struct PictureWindow {
    const WCHAR *name;
    int id; // control id and bitmap id
    int x, y, width, height;
};

// Pictures 0 to 9 in index order, then the public and the private badge.
static const PictureWindow PictureWindows[SignalPictureCount + ModeBadgeCount] = {
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
    {L"KOUSHU", IDB_BADGE_PUBLIC, 112, 9, 32, 16},
    {L"JIEI", IDB_BADGE_HOME, 112, 9, 32, 16},
};

// Slot i of the creation order: the pictures first, then the badges.
static HWND *PictureSlot(int i) {
    return i < SignalPictureCount ? &SignalPictures[i] : &ModeBadges[i - SignalPictureCount];
}

void CreateSignalPictures(HWND dialog) {
    for (int i = 0; i < SignalPictureCount + ModeBadgeCount; ++i) {
        const PictureWindow &w = PictureWindows[i];
        // The acquiring picture is up until the first tick has chosen another one.
        DWORD style = WS_CHILD | SS_BITMAP;
        if (i == PictureAcquiring) {
            style |= WS_VISIBLE;
        }
        // A window that was not created leaves its slot NULL and gets no bitmap, since only a
        // window hands its bitmap back for release; a bitmap that did not load leaves its
        // window empty.
        HWND *slot = PictureSlot(i);
        *slot =
            CreateWindowExW(0, L"STATIC", w.name, style, w.x, w.y, w.width, w.height, dialog,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(w.id)), AppInstance, NULL);
        if (*slot == NULL) {
            continue;
        }
        HBITMAP bitmap = LoadBitmapW(AppInstance, MAKEINTRESOURCEW(w.id));
        (void)SendDlgItemMessageW(dialog, w.id, STM_SETIMAGE, IMAGE_BITMAP,
                                  reinterpret_cast<LPARAM>(bitmap));
    }
}

void ShowSignalState(int picture, int badge) {
    for (int i = 0; i < SignalPictureCount; ++i) {
        if (SignalPictures[i] != NULL) {
            ShowWindow(SignalPictures[i], SW_HIDE);
        }
    }
    if (SignalPictures[picture] != NULL) {
        ShowWindow(SignalPictures[picture], SW_SHOW);
    }
    for (int i = 0; i < ModeBadgeCount; ++i) {
        if (ModeBadges[i] != NULL) {
            ShowWindow(ModeBadges[i], SW_HIDE);
        }
    }
    if (badge >= BadgePublic && badge <= BadgePrivate && ModeBadges[badge] != NULL) {
        ShowWindow(ModeBadges[badge], SW_SHOW);
    }
}

void DestroySignalPictures() {
    for (int i = 0; i < SignalPictureCount + ModeBadgeCount; ++i) {
        HWND *slot = PictureSlot(i);
        if (*slot == NULL) {
            continue;
        }
        // A static control does not own the bitmap it was handed, so it is released here.
        HGDIOBJ bitmap =
            reinterpret_cast<HGDIOBJ>(SendMessageW(*slot, STM_GETIMAGE, IMAGE_BITMAP, 0));
        DestroyWindow(*slot);
        if (bitmap != NULL) {
            DeleteObject(bitmap);
        }
        *slot = NULL;
    }
}
