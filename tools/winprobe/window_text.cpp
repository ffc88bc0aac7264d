// Texts and class names of windows; messages to other processes go with a time-out.
#include "window_text.h"
#include <vector>

// A thread that let one message time out is not asked again during this run, so a tool
// blocked in a long serial read costs one time-out rather than one per control.
static std::vector<DWORD> UnresponsiveThreads;

bool ThreadResponds(HWND window) {
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    for (DWORD busy : UnresponsiveThreads) {
        if (busy == thread) {
            return false;
        }
    }
    return true;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) {
    if (!ThreadResponds(window)) {
        return false;
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                             &answer)) {
        if (GetLastError() == ERROR_TIMEOUT) {
            UnresponsiveThreads.push_back(GetWindowThreadProcessId(window, NULL));
        }
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

// A control made from a dialog template with a resource ordinal as its text (a picture's
// SS_BITMAP or SS_ICON static) holds 0xFFFF and the number; it reads as "#number".
static std::wstring ReadableText(const std::wstring &text) {
    if (text.size() == 2 && text[0] == 0xFFFF) {
        return L"#" + std::to_wstring(static_cast<unsigned>(text[1]));
    }
    return text;
}

std::wstring WindowTitle(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return ReadableText(std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

std::wstring WindowClassName(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring ControlText(HWND control) {
    LRESULT length = 0;
    if (!SendWithTimeout(control, WM_GETTEXTLENGTH, 0, 0, length) || length < 0) {
        return WindowTitle(control);
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(control, WM_GETTEXT, buffer.size(),
                         reinterpret_cast<LPARAM>(buffer.data()), copied) ||
        copied < 0) {
        return WindowTitle(control);
    }
    return ReadableText(std::wstring(buffer.data(), static_cast<size_t>(copied)));
}

bool SameClassName(const std::wstring &a, const wchar_t *b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}
