// Opening the signal dialog in the tests and reading which pictures are up.
#include "signal_dialog.h"
#include "app_shell.h"
#include "resource.h"
#include "signal_display.h"
#include "signal_poller.h"

static std::vector<int> VisibleSlots(const HWND *slots, int count) {
    std::vector<int> visible;
    for (int i = 0; i < count; ++i) {
        if (slots[i] != NULL && (GetWindowLongW(slots[i], GWL_STYLE) & WS_VISIBLE)) {
            visible.push_back(i);
        }
    }
    return visible;
}

HWND OpenSignalDialog(HWND owner) {
    AppInstance = GetModuleHandleW(NULL);
    return CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_MAIN), owner, SignalDlgProc, 0);
}

std::vector<int> VisiblePictures() {
    return VisibleSlots(SignalPictures, SignalPictureCount);
}

std::vector<int> VisibleBadges() {
    return VisibleSlots(ModeBadges, ModeBadgeCount);
}
