// list, wait, wait-gone, foreground, command, click, select, keys and close.
#include "probe_commands.h"
#include "key_input.h"
#include "window_find.h"
#include "window_report.h"
#include "window_text.h"

static const DWORD DefaultWaitMs = 10000;
static const DWORD ForegroundWaitMs = 2000;

static int ListWindows(const ProbeOptions &options, Json &answer) {
    answer = Json::array();
    for (HWND window : FindWindows(options.selector)) {
        answer.push_back(WindowReport(window));
    }
    return ExitSuccess;
}

static int WaitForMatch(const ProbeOptions &options, Json &answer, std::wstring &error) {
    HWND window =
        WaitForWindow(options.selector, options.hasTimeout ? options.timeoutMs : DefaultWaitMs);
    if (window == NULL) {
        error = L"no matching window appeared";
        return ExitNotFound;
    }
    answer = WindowReport(window);
    return ExitSuccess;
}

static int WaitUntilGone(const ProbeOptions &options, Json &answer, std::wstring &error) {
    DWORD start = GetTickCount();
    if (!WaitForNoWindow(options.selector,
                         options.hasTimeout ? options.timeoutMs : DefaultWaitMs)) {
        error = L"a matching window is still there";
        return ExitNotFound;
    }
    answer = Json::object();
    answer["gone"] = true;
    answer["waited_ms"] = GetTickCount() - start;
    return ExitSuccess;
}

static int ReportForeground(Json &answer, std::wstring &error) {
    HWND window = GetForegroundWindow();
    if (window == NULL) {
        error = L"no foreground window";
        return ExitNotFound;
    }
    answer = WindowReport(window);
    return ExitSuccess;
}

// The window an action goes to: the topmost match, waited for when --timeout is given.
static HWND ActionTarget(const ProbeOptions &options, std::wstring &error) {
    HWND window = WaitForWindow(options.selector, options.hasTimeout ? options.timeoutMs : 0);
    if (window == NULL) {
        error = L"no matching window";
    }
    return window;
}

// A control a user could operate: present, visible and enabled in an enabled window.
static HWND UsableControl(const ProbeOptions &options, HWND window, std::wstring &error) {
    std::wstring name = L"control " + std::to_wstring(options.id);
    HWND control = FindControl(window, options.id);
    if (control == NULL) {
        error = L"no " + name;
    } else if (options.force) {
        return control;
    } else if (!IsWindowEnabled(window)) {
        error = L"the window is disabled (a modal dialog is open?)";
    } else if (!IsWindowVisible(control)) {
        error = name + L" is hidden";
    } else if (!IsWindowEnabled(control)) {
        error = name + L" is disabled";
    } else {
        return control;
    }
    return NULL;
}

// The answer object of an action; the caller adds its own keys.
static Json ActionResult(HWND window, HWND control, const ProbeOptions &options) {
    Json answer = Json::object();
    answer["hwnd"] = JsonHandle(window);
    if (options.hasId) {
        answer["id"] = options.id;
    }
    if (control != NULL) {
        answer["control"] = JsonHandle(control);
    }
    return answer;
}

// Posts by default: the receiver may open a modal dialog and not return for a long time.
static bool Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool send,
                    LRESULT &result) {
    result = 0;
    if (send) {
        return SendWithTimeout(window, message, wParam, lParam, result);
    }
    return PostMessageW(window, message, wParam, lParam) != FALSE;
}

static int PostCommand(const ProbeOptions &options, Json &answer, std::wstring &error) {
    HWND window = ActionTarget(options, error);
    if (window == NULL) {
        return ExitNotFound;
    }
    LRESULT result = 0;
    if (!Deliver(window, WM_COMMAND, MAKEWPARAM(options.id, 0), 0, options.send, result)) {
        error = L"the window did not take the command";
        return ExitNotFound;
    }
    answer = ActionResult(window, NULL, options);
    if (options.send) {
        answer["result"] = result;
    }
    return ExitSuccess;
}

static int ClickButton(const ProbeOptions &options, Json &answer, std::wstring &error) {
    HWND window = ActionTarget(options, error);
    HWND control = window != NULL ? UsableControl(options, window, error) : NULL;
    if (control == NULL) {
        return ExitNotFound;
    }
    LRESULT result = 0;
    if (!Deliver(control, BM_CLICK, 0, 0, options.send, result)) {
        error = L"the button did not take the click";
        return ExitNotFound;
    }
    answer = ActionResult(window, control, options);
    return ExitSuccess;
}

// Index of the entry whose text is exactly text, or CB_ERR. CB_SELECTSTRING alone would take
// the first entry that merely starts with the text, ignoring case.
static LRESULT ExactComboEntry(HWND combo, const std::wstring &text) {
    LRESULT index = CB_ERR;
    for (;;) {
        LRESULT start = index;
        if (!SendWithTimeout(combo, CB_FINDSTRINGEXACT, start,
                             reinterpret_cast<LPARAM>(text.c_str()), index) ||
            index == CB_ERR || index <= start) {
            return CB_ERR; // not found, or the search wrapped around
        }
        LRESULT length = 0;
        if (!SendWithTimeout(combo, CB_GETLBTEXTLEN, index, 0, length) || length < 0) {
            return CB_ERR;
        }
        std::wstring entry(static_cast<size_t>(length) + 1, L'\0');
        LRESULT copied = 0;
        if (SendWithTimeout(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&entry[0]),
                            copied) &&
            copied >= 0 && entry.compare(0, static_cast<size_t>(copied), text) == 0 &&
            static_cast<size_t>(copied) == text.size()) {
            return index; // the exact search ignores case; this one does not
        }
    }
}

static int SelectComboEntry(const ProbeOptions &options, Json &answer, std::wstring &error) {
    HWND window = ActionTarget(options, error);
    HWND combo = window != NULL ? UsableControl(options, window, error) : NULL;
    if (combo == NULL) {
        return ExitNotFound;
    }
    if (!SameClassName(WindowClassName(combo), L"ComboBox")) {
        error = L"control " + std::to_wstring(options.id) + L" is not a combo box";
        return ExitNotFound;
    }
    LRESULT index = ExactComboEntry(combo, options.text);
    LRESULT selected = CB_ERR;
    if (index == CB_ERR || !SendWithTimeout(combo, CB_SETCURSEL, index, 0, selected) ||
        selected != index) {
        error = L"no entry \"" + options.text + L"\" to select";
        return ExitNotFound;
    }
    // Setting the selection by message notifies nobody; a user's choice tells the parent.
    LRESULT result = 0;
    WPARAM notice = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(combo)), CBN_SELCHANGE);
    if (!Deliver(GetParent(combo), WM_COMMAND, notice, reinterpret_cast<LPARAM>(combo),
                 options.send, result)) {
        error = L"the parent did not take the notification";
        return ExitNotFound;
    }
    answer = ActionResult(window, combo, options);
    answer["index"] = index;
    return ExitSuccess;
}

static int PressKeys(const ProbeOptions &options, Json &answer, std::wstring &error) {
    std::vector<KeyChord> chords;
    for (const std::wstring &keys : options.keyChords) {
        KeyChord chord;
        if (!ParseKeyChord(keys, chord)) {
            error = L"unknown key " + keys;
            return ExitUsage;
        }
        chords.push_back(chord);
    }
    HWND window = ActionTarget(options, error);
    if (window == NULL) {
        return ExitNotFound;
    }
    if (!BringToForeground(window, ForegroundWaitMs)) {
        error = L"the window could not be brought to the foreground";
        return ExitNotFound;
    }
    if (!TypeChords(chords)) {
        error = L"the keys could not be sent";
        return ExitNotFound;
    }
    answer = ActionResult(window, NULL, options);
    answer["keys"] = chords.size();
    return ExitSuccess;
}

static int CloseWindow(const ProbeOptions &options, Json &answer, std::wstring &error) {
    HWND window = ActionTarget(options, error);
    if (window == NULL) {
        return ExitNotFound;
    }
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
        error = L"the window did not take WM_CLOSE";
        return ExitNotFound;
    }
    answer = ActionResult(window, NULL, options);
    return ExitSuccess;
}

int RunProbeCommand(const ProbeOptions &options, Json &answer, std::wstring &error) {
    const std::wstring &command = options.command;
    bool needsId = command == L"command" || command == L"click" || command == L"select";
    if (needsId && !options.hasId) {
        error = command + L" needs --id";
        return ExitUsage;
    }
    if (command == L"select" && !options.hasText) {
        error = L"select needs --text";
        return ExitUsage;
    }
    if (command == L"keys" && options.keyChords.empty()) {
        error = L"keys needs at least one key";
        return ExitUsage;
    }
    if (command == L"list") {
        return ListWindows(options, answer);
    } else if (command == L"wait") {
        return WaitForMatch(options, answer, error);
    } else if (command == L"wait-gone") {
        return WaitUntilGone(options, answer, error);
    } else if (command == L"foreground") {
        return ReportForeground(answer, error);
    } else if (command == L"command") {
        return PostCommand(options, answer, error);
    } else if (command == L"click") {
        return ClickButton(options, answer, error);
    } else if (command == L"select") {
        return SelectComboEntry(options, answer, error);
    } else if (command == L"keys") {
        return PressKeys(options, answer, error);
    } else if (command == L"close") {
        return CloseWindow(options, answer, error);
    }
    error = L"unknown command " + command;
    return ExitUsage;
}
