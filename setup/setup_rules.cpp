// The setup program's rules that need no platform: the missing piece and its message, and the
// reading of the Application Manager's .ini.
#include "setup_rules.h"

SetupProblem FirstSetupProblem(bool iniRead, bool cabinetsFound, bool appManagerFound) {
    if (!iniRead) {
        return SetupNoIni;
    }
    if (!cabinetsFound) {
        return SetupNoCabinet;
    }
    return appManagerFound ? SetupReady : SetupNoAppManager;
}

unsigned MessageForProblem(SetupProblem problem) {
    switch (problem) {
    case SetupNoIni:
        return IDS_NO_INI;
    case SetupNoCabinet:
        return IDS_NO_CABINET;
    case SetupNoAppManager:
        return IDS_NO_APP_MANAGER;
    default:
        return 0;
    }
}

int ExitCodeForProblem(SetupProblem problem) {
    return static_cast<int>(problem);
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

static char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Narrows text[*begin, *end) to leave out the blanks around it.
static void TrimBlanks(const char *text, size_t *begin, size_t *end) {
    while (*begin < *end && IsBlank(text[*begin])) {
        ++*begin;
    }
    while (*end > *begin && IsBlank(text[*end - 1])) {
        --*end;
    }
}

// Whether text[begin, end) with the blanks around it removed is name, ignoring ASCII case.
static bool SameName(const char *text, size_t begin, size_t end, const char *name) {
    TrimBlanks(text, &begin, &end);
    size_t i = 0;
    for (; begin + i < end; ++i) {
        if (name[i] == 0 || AsciiLower(text[begin + i]) != AsciiLower(name[i])) {
            return false;
        }
    }
    return name[i] == 0;
}

// Copies text[begin, end) without the blanks around it into out.
static bool CopyTrimmed(const char *text, size_t begin, size_t end, char *out, size_t capacity) {
    TrimBlanks(text, &begin, &end);
    if (capacity == 0 || end - begin > capacity - 1) {
        return false;
    }
    for (size_t i = begin; i < end; ++i) {
        out[i - begin] = text[i];
    }
    out[end - begin] = 0;
    return true;
}

bool IniValue(const char *text, size_t length, const char *section, const char *key, char *out,
              size_t capacity) {
    bool inSection = false;
    size_t line = 0;
    while (line < length) {
        size_t end = line;
        while (end < length && text[end] != '\n') {
            ++end;
        }
        size_t next = end + 1;
        if (end > line && text[end - 1] == '\r') {
            --end;
        }
        size_t first = line;
        while (first < end && IsBlank(text[first])) {
            ++first;
        }
        if (first < end && text[first] == '[') {
            size_t close = first + 1;
            while (close < end && text[close] != ']') {
                ++close;
            }
            inSection = close < end && SameName(text, first + 1, close, section);
        } else if (inSection && first < end) {
            size_t equals = first;
            while (equals < end && text[equals] != '=') {
                ++equals;
            }
            if (equals < end && SameName(text, first, equals, key)) {
                return CopyTrimmed(text, equals + 1, end, out, capacity);
            }
        }
        line = next;
    }
    return false;
}

bool NextListItem(const char *list, size_t *position, char *out, size_t capacity) {
    size_t begin = *position;
    if (list[begin] == 0) {
        return false;
    }
    size_t end = begin;
    while (list[end] != 0 && list[end] != ',') {
        ++end;
    }
    *position = list[end] == ',' ? end + 1 : end;
    return CopyTrimmed(list, begin, end, out, capacity) && out[0] != 0;
}
