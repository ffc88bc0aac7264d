// Rules of the PC setup program that need no platform: the Application Manager's path as the
// registry stores it, the command line that starts it, the .ini beside the program, and which
// message a missing piece calls for. Templated on the character type so the same rules run on
// Windows (wchar_t) and in native tests (char16_t).
#pragma once

#include <stddef.h>

#include "resource.h"

// Registry value type of a zero-terminated string (REG_SZ in the Windows headers).
const unsigned long AppPathValueType = 1;

// What keeps the Application Manager from being started, in the order the program checks.
enum SetupProblem { SetupReady, SetupNoIni, SetupNoCabinet, SetupNoAppManager };

// The first missing piece: the .ini, then a cabinet it names, then the Application Manager.
SetupProblem FirstSetupProblem(bool iniRead, bool cabinetsFound, bool appManagerFound);

// The message shown for a problem (a string resource), 0 for SetupReady.
unsigned MessageForProblem(SetupProblem problem);

// The program's exit code for a problem: 0 when the Application Manager was started.
int ExitCodeForProblem(SetupProblem problem);

// data holds dataBytes bytes of the value. It names the Application Manager only when it is a
// REG_SZ whose text is not empty and is terminated within the data; an unterminated value
// counts as missing rather than being read past its end. Returns the text's length, 0 if the
// value is of no use.
template <typename Char>
size_t AppPathLength(unsigned long type, const Char *data, unsigned long dataBytes) {
    if (type != AppPathValueType) {
        return 0;
    }
    size_t units = dataBytes / sizeof(Char);
    for (size_t length = 0; length < units; ++length) {
        if (data[length] == 0) {
            return length;
        }
    }
    return 0;
}

// Copies count characters of text to out at *at; false when out (capacity units, one kept for
// the terminator) can't hold them.
template <typename Char>
bool AppendText(Char *out, size_t capacity, size_t *at, const Char *text, size_t count) {
    if (capacity == 0 || count > capacity - 1 - *at) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        out[(*at)++] = text[i];
    }
    out[*at] = 0;
    return true;
}

template <typename Char> size_t TextLength(const Char *text) {
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

// "program" "argument": both quoted, as the Application Manager is started. False when either
// holds a quote (no path does) or the line does not fit into capacity units.
template <typename Char>
bool QuotedCommandLine(const Char *program, const Char *argument, Char *out, size_t capacity) {
    const Char quote[] = {'"'};
    const Char between[] = {'"', ' ', '"'};
    const Char *parts[] = {program, argument};
    for (size_t i = 0; i < 2; ++i) {
        for (const Char *c = parts[i]; *c != 0; ++c) {
            if (*c == '"') {
                return false;
            }
        }
    }
    size_t at = 0;
    return AppendText(out, capacity, &at, quote, 1) &&
           AppendText(out, capacity, &at, program, TextLength(program)) &&
           AppendText(out, capacity, &at, between, 3) &&
           AppendText(out, capacity, &at, argument, TextLength(argument)) &&
           AppendText(out, capacity, &at, quote, 1);
}

// The file name in the same folder as path (a program's full path): the folder part up to its
// last backslash, then name. False when there is no folder part or the result does not fit.
template <typename Char>
bool PathBeside(const Char *path, const Char *name, Char *out, size_t capacity) {
    size_t folder = 0;
    for (size_t i = 0; path[i] != 0; ++i) {
        if (path[i] == '\\' || path[i] == '/') {
            folder = i + 1;
        }
    }
    size_t at = 0;
    return folder > 0 && AppendText(out, capacity, &at, path, folder) &&
           AppendText(out, capacity, &at, name, TextLength(name));
}

// The value of key in [section] of an .ini's text (length bytes, any of CR LF, LF line ends;
// names compared without regard to ASCII case, spaces around names and values ignored), in out
// as a terminated string. False when it is missing or longer than capacity - 1.
bool IniValue(const char *text, size_t length, const char *section, const char *key, char *out,
              size_t capacity);

// The next item of a comma-separated list from *position on, without the spaces around it, in
// out; *position moves past it. False when the list has no further item, or an item is empty or
// longer than capacity - 1.
bool NextListItem(const char *list, size_t *position, char *out, size_t capacity);
