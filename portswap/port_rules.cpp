// Name and Key rules of the COM port survey, registry text termination and combobox entries.
#include "port_rules.h"

static const wchar_t ComPrefix[] = L"com";
static const size_t ComPrefixChars = 3;
static const wchar_t BuiltinPrefix[] = L"Drivers\\Builtin\\";
static const size_t BuiltinPrefixChars = 16;
static const wchar_t PcCardPrefix[] = L"Drivers\\PCMCIA\\";
static const size_t PcCardPrefixChars = 15;
static const wchar_t IrdaKeyName[] = L"IRDA";

// Letters compare the way the C runtime's case-blind compares do in the "C" locale: A to Z
// match a to z. Every constant compared with here is plain ASCII.
static wchar_t FoldCase(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Compares at most count characters, stopping at a terminator in either text.
static bool SameTextIgnoringCase(const wchar_t *a, const wchar_t *b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
        if (a[i] == 0) {
            return true;
        }
    }
    return true;
}

static bool WholeTextIgnoringCase(const wchar_t *a, const wchar_t *b) {
    for (size_t i = 0;; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
        if (a[i] == 0) {
            return true;
        }
    }
}

bool TakeRegistryText(wchar_t *buffer, size_t textUnits, unsigned long type,
                      unsigned long dataBytes) {
    if (type != RegistryStringType) {
        return false;
    }
    size_t units = dataBytes / sizeof(wchar_t);
    if (units > textUnits) {
        units = textUnits;
    }
    size_t length = 0;
    while (length < units && buffer[length] != 0) {
        ++length;
    }
    buffer[length] = 0;
    return true;
}

int ComIndexOfName(const wchar_t *name) {
    if (!SameTextIgnoringCase(name, ComPrefix, ComPrefixChars)) {
        return -1;
    }
    wchar_t digit = name[ComPrefixChars];
    if (digit < L'1' || digit > L'9') {
        return -1;
    }
    return digit - L'1';
}

DriverKeyRow RowOfDriverKey(const wchar_t *key) {
    DriverKeyRow row = {NULL, false};
    if (SameTextIgnoringCase(key, BuiltinPrefix, BuiltinPrefixChars)) {
        row.rowText = key + BuiltinPrefixChars;
        row.isIrda = WholeTextIgnoringCase(row.rowText, IrdaKeyName);
    } else if (SameTextIgnoringCase(key, PcCardPrefix, PcCardPrefixChars)) {
        row.rowText = key + PcCardPrefixChars;
    }
    return row;
}

void ComEntryText(int comIndex, wchar_t entry[ComEntryUnits]) {
    entry[0] = static_cast<wchar_t>(L'1' + comIndex);
    entry[1] = L':';
    entry[2] = 0;
}

int ComNumberOfEntry(const wchar_t *text) {
    wchar_t first = text[0];
    if (first < L'1' || first > L'9') {
        return -1;
    }
    return first - L'0';
}
