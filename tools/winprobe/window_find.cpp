// Window selection over EnumWindows and control lookup over EnumChildWindows.
#include "window_find.h"
#include "window_text.h"

struct FindState {
    const WindowSelector *selector;
    std::vector<HWND> found;
};

static bool Matches(const WindowSelector &selector, HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        return false;
    }
    if (!selector.includeHidden && !IsWindowVisible(window)) {
        return false;
    }
    if (selector.byHandle && window != selector.handle) {
        return false;
    }
    if (selector.byPid && pid != selector.pid) {
        return false;
    }
    if (selector.byClass && !SameClassName(WindowClassName(window), selector.className.c_str())) {
        return false;
    }
    return !selector.byTitle || WindowTitle(window) == selector.title;
}

static BOOL CALLBACK CollectMatching(HWND window, LPARAM param) {
    FindState *state = reinterpret_cast<FindState *>(param);
    if (Matches(*state->selector, window)) {
        state->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> FindWindows(const WindowSelector &selector) {
    FindState state = {&selector, std::vector<HWND>()};
    // EnumWindows fails only when the callback stops it; it never does here.
    (void)EnumWindows(CollectMatching, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND WaitForWindow(const WindowSelector &selector, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindWindows(selector);
        if (!found.empty()) {
            return found.front();
        }
        if (GetTickCount() - start >= timeoutMs) {
            return NULL;
        }
        Sleep(PollIntervalMs);
    }
}

bool WaitForNoWindow(const WindowSelector &selector, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (FindWindows(selector).empty()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(PollIntervalMs);
    }
}

static BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> ChildWindows(HWND window) {
    std::vector<HWND> children;
    (void)EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindControl(HWND window, int id) {
    for (HWND child : ChildWindows(window)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return NULL;
}
