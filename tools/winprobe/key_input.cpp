// Keyboard input for another process's window: key names, activation and SendInput.
#include "key_input.h"
#include "window_find.h"
#include <cstdlib>

static const struct {
    const wchar_t *name;
    WORD key;
} KeyNames[] = {
    {L"enter", VK_RETURN}, {L"return", VK_RETURN}, {L"esc", VK_ESCAPE},     {L"escape", VK_ESCAPE},
    {L"tab", VK_TAB},      {L"space", VK_SPACE},   {L"backspace", VK_BACK}, {L"delete", VK_DELETE},
    {L"del", VK_DELETE},   {L"insert", VK_INSERT}, {L"home", VK_HOME},      {L"end", VK_END},
    {L"pageup", VK_PRIOR}, {L"pagedown", VK_NEXT}, {L"up", VK_UP},          {L"down", VK_DOWN},
    {L"left", VK_LEFT},    {L"right", VK_RIGHT},   {L"apps", VK_APPS},
};

static const struct {
    const wchar_t *name;
    WORD key;
} ModifierNames[] = {
    {L"ctrl", VK_CONTROL}, {L"control", VK_CONTROL}, {L"alt", VK_MENU},
    {L"shift", VK_SHIFT},  {L"win", VK_LWIN},
};

// Keys whose scan codes carry the extended prefix on a real keyboard.
static const WORD ExtendedKeys[] = {VK_DELETE, VK_INSERT, VK_HOME, VK_END,   VK_PRIOR, VK_NEXT,
                                    VK_UP,     VK_DOWN,   VK_LEFT, VK_RIGHT, VK_LWIN,  VK_APPS};

static bool SameName(const std::wstring &a, const wchar_t *b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

static bool ModifierKey(const std::wstring &name, WORD &key) {
    for (const auto &modifier : ModifierNames) {
        if (SameName(name, modifier.name)) {
            key = modifier.key;
            return true;
        }
    }
    return false;
}

static void AddModifier(KeyChord &chord, WORD key) {
    for (WORD held : chord.modifiers) {
        if (held == key) {
            return;
        }
    }
    chord.modifiers.push_back(key);
}

static bool NamedKey(const std::wstring &name, KeyChord &chord) {
    for (const auto &named : KeyNames) {
        if (SameName(name, named.name)) {
            chord.key = named.key;
            return true;
        }
    }
    if (ModifierKey(name, chord.key)) {
        return true; // a modifier on its own, e.g. "alt" to reach the menu bar
    }
    if (name.size() >= 2 && (name[0] == L'f' || name[0] == L'F')) {
        wchar_t *end = NULL;
        long number = wcstol(name.c_str() + 1, &end, 10);
        if (*end == L'\0' && number >= 1 && number <= 24) {
            chord.key = static_cast<WORD>(VK_F1 + number - 1);
            return true;
        }
    }
    if (name.size() == 1) {
        // The keyboard layout decides which key makes the character and which shift
        // states it needs.
        SHORT scan = VkKeyScanW(name[0]);
        if (scan == -1) {
            return false;
        }
        chord.key = LOBYTE(scan);
        static const struct {
            BYTE bit;
            WORD key;
        } ShiftStates[] = {{1, VK_SHIFT}, {2, VK_CONTROL}, {4, VK_MENU}};
        for (const auto &state : ShiftStates) {
            if (HIBYTE(scan) & state.bit) {
                AddModifier(chord, state.key);
            }
        }
        return true;
    }
    return false;
}

bool ParseKeyChord(const std::wstring &keys, KeyChord &chord) {
    chord = KeyChord();
    size_t start = 0;
    for (;;) {
        size_t plus = keys.find(L'+', start);
        // A '+' where a name should start is the key itself ("ctrl++", "+").
        if (plus == std::wstring::npos || plus == start) {
            return NamedKey(keys.substr(start), chord);
        }
        WORD modifier = 0;
        if (!ModifierKey(keys.substr(start, plus - start), modifier)) {
            return false;
        }
        AddModifier(chord, modifier);
        start = plus + 1;
        if (start >= keys.size()) {
            return false; // "alt+" names no key
        }
    }
}

bool BringToForeground(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (GetForegroundWindow() == window) {
            return true;
        }
        (void)SetForegroundWindow(window); // success shows in GetForegroundWindow
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(PollIntervalMs);
    }
}

static INPUT KeyEvent(WORD key, bool up) {
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    for (WORD extended : ExtendedKeys) {
        if (key == extended) {
            input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        }
    }
    return input;
}

static const DWORD ChordGapMs = 30;

bool TypeChords(const std::vector<KeyChord> &chords) {
    for (const KeyChord &chord : chords) {
        std::vector<INPUT> events;
        for (WORD modifier : chord.modifiers) {
            events.push_back(KeyEvent(modifier, false));
        }
        events.push_back(KeyEvent(chord.key, false));
        events.push_back(KeyEvent(chord.key, true));
        for (size_t i = chord.modifiers.size(); i > 0; --i) {
            events.push_back(KeyEvent(chord.modifiers[i - 1], true));
        }
        UINT count = static_cast<UINT>(events.size());
        if (SendInput(count, events.data(), sizeof(INPUT)) != count) {
            return false;
        }
        Sleep(ChordGapMs);
    }
    return true;
}
