// Key chords such as "alt+f4", "enter" or "ctrl+shift+a", typed through SendInput.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct KeyChord {
    std::vector<WORD> modifiers; // pressed in this order, released in reverse
    WORD key = 0;
};

// Parses "mod+mod+key"; key is a name (enter, esc, f4, ...) or one character. False if unknown.
bool ParseKeyChord(const std::wstring &keys, KeyChord &chord);

// Activates the window and waits until it is the foreground window; false if it never is.
bool BringToForeground(HWND window, DWORD timeoutMs);

// Presses and releases each chord in turn; false if the input queue refused an event.
bool TypeChords(const std::vector<KeyChord> &chords);
