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

static void AddStyles(Json &report, HWND window) {
    report["style"] = JsonHex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)));
    report["exstyle"] = JsonHex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
}

// Values a busy control could not give are written as null: unknown, not empty.
static void AddStaticImage(Json &report, HWND control) {
    static const struct {
        WPARAM type;
        const char *name;
    } ImageTypes[] = {{IMAGE_BITMAP, "bitmap"}, {IMAGE_ICON, "icon"}};
    LRESULT image = 0;
    const char *typeName = NULL;
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
    report["image_set"] = answered ? Json(image != 0) : Json();
    report["image_type"] = typeName != NULL ? Json(typeName) : Json();
    // The handle tells pictures apart: a control showing another picture shows another handle.
    report["image"] = typeName != NULL ? JsonHex(static_cast<ULONG_PTR>(image)) : Json();
}

static Json ComboEntry(HWND control, LRESULT index) {
    LRESULT length = 0;
    if (!SendWithTimeout(control, CB_GETLBTEXTLEN, index, 0, length) || length < 0) {
        return nullptr;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()),
                         copied) ||
        copied < 0) {
        return nullptr;
    }
    return JsonText(std::wstring(buffer.data(), static_cast<size_t>(copied)));
}

static void AddComboEntries(Json &report, HWND control) {
    LRESULT count = 0;
    Json entries;
    if (SendWithTimeout(control, CB_GETCOUNT, 0, 0, count) && count >= 0) {
        entries = Json::array();
        for (LRESULT i = 0; i < count; ++i) {
            entries.push_back(ComboEntry(control, i));
        }
    }
    report["entries"] = entries;
    LRESULT selected = CB_ERR;
    report["selected"] =
        SendWithTimeout(control, CB_GETCURSEL, 0, 0, selected) ? Json(selected) : Json();
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

static Json ControlReport(HWND control) {
    std::wstring className = WindowClassName(control);
    DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    bool isStatic = SameClassName(className, L"Static");
    bool isCombo = SameClassName(className, L"ComboBox");
    bool isEdit = SameClassName(className, L"Edit");
    HWND parent = GetParent(control);

    Json report = Json::object();
    report["hwnd"] = JsonHandle(control);
    report["id"] = GetDlgCtrlID(control);
    report["parent"] = JsonHandle(parent);
    report["class"] = JsonText(className);
    report["text"] =
        JsonText(isStatic || isCombo || isEdit ? ControlText(control) : WindowTitle(control));
    AddStyles(report, control);
    report["visible"] = IsWindowVisible(control) != FALSE;
    report["own_visible"] = (style & WS_VISIBLE) != 0;
    report["enabled"] = IsWindowEnabled(control) != FALSE;

    RECT screen = ScreenRect(control);
    RECT local = screen;
    (void)MapWindowPoints(NULL, parent, reinterpret_cast<POINT *>(&local), 2);
    report["rect"] = JsonRect(screen);
    report["rect_in_parent"] = JsonRect(local);

    if (isStatic) {
        AddStaticImage(report, control);
    } else if (isCombo) {
        AddComboEntries(report, control);
    } else if (SameClassName(className, L"Button") && IsCheckButton(style)) {
        LRESULT state = 0;
        report["checked"] =
            SendWithTimeout(control, BM_GETCHECK, 0, 0, state) ? Json(state) : Json();
    }
    return report;
}

Json WindowReport(HWND window) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT client = {0, 0, 0, 0};
    (void)GetClientRect(window, &client);
    POINT origin = {0, 0};
    (void)ClientToScreen(window, &origin);
    DWORD exstyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));

    Json report = Json::object();
    report["hwnd"] = JsonHandle(window);
    report["pid"] = pid;
    report["tid"] = tid;
    report["title"] = JsonText(WindowTitle(window));
    report["class"] = JsonText(WindowClassName(window));
    report["rect"] = JsonRect(ScreenRect(window));
    report["client_size"] = JsonPair(client.right - client.left, client.bottom - client.top);
    report["client_origin"] = JsonPair(origin.x, origin.y);
    report["owner"] = JsonHandle(GetWindow(window, GW_OWNER));
    report["parent"] = JsonHandle(GetParent(window));
    AddStyles(report, window);
    report["topmost"] = (exstyle & WS_EX_TOPMOST) != 0;
    report["visible"] = IsWindowVisible(window) != FALSE;
    report["enabled"] = IsWindowEnabled(window) != FALSE;
    report["foreground"] = GetForegroundWindow() == window;
    Json controls = Json::array();
    for (HWND control : ChildWindows(window)) {
        controls.push_back(ControlReport(control));
    }
    report["controls"] = controls;
    // false when the window's thread let a message time out: texts then come from the
    // window manager and pictures, entries and check states are null.
    report["responding"] = ThreadResponds(window);
    return report;
}
