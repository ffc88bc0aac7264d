// JSON description of a top-level window and every control inside it.
#include "window_report.h"
#include "window_find.h"
#include "window_text.h"
#include <vector>

static RECT ScreenRect(HWND window) {
    RECT rect = {0, 0, 0, 0};
    (void)GetWindowRect(window, &rect); // a window that just vanished reports an empty rect
    return rect;
}

static void WriteStyles(JsonOut &json, HWND window) {
    JsonKey(json, L"style");
    JsonHex(json, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)));
    JsonKey(json, L"exstyle");
    JsonHex(json, static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
}

// Values a busy control could not give are written as null: unknown, not empty.
static void WriteStaticImage(JsonOut &json, HWND control) {
    static const struct {
        WPARAM type;
        const wchar_t *name;
    } ImageTypes[] = {{IMAGE_BITMAP, L"bitmap"}, {IMAGE_ICON, L"icon"}};
    LRESULT image = 0;
    const wchar_t *typeName = NULL;
    bool answered = true;
    for (const auto &imageType : ImageTypes) {
        if (!SendWithTimeout(control, STM_GETIMAGE, imageType.type, 0, image)) {
            answered = false;
            break;
        }
        if (image != 0) {
            typeName = imageType.name;
            break;
        }
    }
    JsonKey(json, L"image_set");
    if (answered) {
        JsonBool(json, image != 0);
    } else {
        JsonNull(json);
    }
    JsonKey(json, L"image_type");
    if (typeName != NULL) {
        JsonString(json, typeName);
    } else {
        JsonNull(json);
    }
    // The handle tells pictures apart: a control showing another picture shows another handle.
    JsonKey(json, L"image");
    if (typeName != NULL) {
        JsonHex(json, static_cast<ULONG_PTR>(image));
    } else {
        JsonNull(json);
    }
}

static void WriteComboEntry(JsonOut &json, HWND control, LRESULT index) {
    LRESULT length = 0;
    if (!SendWithTimeout(control, CB_GETLBTEXTLEN, index, 0, length) || length < 0) {
        JsonNull(json);
        return;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()),
                         copied) ||
        copied < 0) {
        JsonNull(json);
        return;
    }
    JsonString(json, std::wstring(buffer.data(), static_cast<size_t>(copied)));
}

static void WriteComboEntries(JsonOut &json, HWND control) {
    LRESULT count = 0;
    JsonKey(json, L"entries");
    if (SendWithTimeout(control, CB_GETCOUNT, 0, 0, count) && count >= 0) {
        JsonBeginArray(json);
        for (LRESULT i = 0; i < count; ++i) {
            WriteComboEntry(json, control, i);
        }
        JsonEndArray(json);
    } else {
        JsonNull(json);
    }
    LRESULT selected = CB_ERR;
    JsonKey(json, L"selected");
    if (SendWithTimeout(control, CB_GETCURSEL, 0, 0, selected)) {
        JsonInt(json, selected);
    } else {
        JsonNull(json);
    }
}

static bool IsCheckButton(DWORD style) {
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return true;
    }
    return false;
}

static void WriteControl(JsonOut &json, HWND control) {
    std::wstring className = WindowClassName(control);
    DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    bool isStatic = SameClassName(className, L"Static");
    bool isCombo = SameClassName(className, L"ComboBox");
    bool isEdit = SameClassName(className, L"Edit");
    HWND parent = GetParent(control);

    JsonBeginObject(json);
    JsonKey(json, L"hwnd");
    JsonHandle(json, control);
    JsonKey(json, L"id");
    JsonInt(json, GetDlgCtrlID(control));
    JsonKey(json, L"parent");
    JsonHandle(json, parent);
    JsonKey(json, L"class");
    JsonString(json, className);
    JsonKey(json, L"text");
    JsonString(json, isStatic || isCombo || isEdit ? ControlText(control) : WindowTitle(control));
    WriteStyles(json, control);
    JsonKey(json, L"visible");
    JsonBool(json, IsWindowVisible(control) != FALSE);
    JsonKey(json, L"own_visible");
    JsonBool(json, (style & WS_VISIBLE) != 0);
    JsonKey(json, L"enabled");
    JsonBool(json, IsWindowEnabled(control) != FALSE);

    RECT screen = ScreenRect(control);
    RECT local = screen;
    (void)MapWindowPoints(NULL, parent, reinterpret_cast<POINT *>(&local), 2);
    JsonKey(json, L"rect");
    JsonRect(json, screen);
    JsonKey(json, L"rect_in_parent");
    JsonRect(json, local);

    if (isStatic) {
        WriteStaticImage(json, control);
    } else if (isCombo) {
        WriteComboEntries(json, control);
    } else if (SameClassName(className, L"Button") && IsCheckButton(style)) {
        LRESULT state = 0;
        JsonKey(json, L"checked");
        if (SendWithTimeout(control, BM_GETCHECK, 0, 0, state)) {
            JsonInt(json, state);
        } else {
            JsonNull(json);
        }
    }
    JsonEndObject(json);
}

void WriteWindow(JsonOut &json, HWND window) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT client = {0, 0, 0, 0};
    (void)GetClientRect(window, &client);
    POINT origin = {0, 0};
    (void)ClientToScreen(window, &origin);
    DWORD exstyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));

    JsonBeginObject(json);
    JsonKey(json, L"hwnd");
    JsonHandle(json, window);
    JsonKey(json, L"pid");
    JsonInt(json, pid);
    JsonKey(json, L"tid");
    JsonInt(json, tid);
    JsonKey(json, L"title");
    JsonString(json, WindowTitle(window));
    JsonKey(json, L"class");
    JsonString(json, WindowClassName(window));
    JsonKey(json, L"rect");
    JsonRect(json, ScreenRect(window));
    JsonKey(json, L"client_size");
    JsonPair(json, client.right - client.left, client.bottom - client.top);
    JsonKey(json, L"client_origin");
    JsonPair(json, origin.x, origin.y);
    JsonKey(json, L"owner");
    JsonHandle(json, GetWindow(window, GW_OWNER));
    JsonKey(json, L"parent");
    JsonHandle(json, GetParent(window));
    WriteStyles(json, window);
    JsonKey(json, L"topmost");
    JsonBool(json, (exstyle & WS_EX_TOPMOST) != 0);
    JsonKey(json, L"visible");
    JsonBool(json, IsWindowVisible(window) != FALSE);
    JsonKey(json, L"enabled");
    JsonBool(json, IsWindowEnabled(window) != FALSE);
    JsonKey(json, L"foreground");
    JsonBool(json, GetForegroundWindow() == window);
    JsonKey(json, L"controls");
    JsonBeginArray(json);
    for (HWND control : ChildWindows(window)) {
        WriteControl(json, control);
    }
    JsonEndArray(json);
    // false when the window's thread let a message time out: texts then come from the
    // window manager and pictures, entries and check states are null.
    JsonKey(json, L"responding");
    JsonBool(json, ThreadResponds(window));
    JsonEndObject(json);
}
