// Rules for taking a string value read from the registry into a fixed buffer: only REG_SZ data
// counts, the text ends at its first terminator or where the data ends, and text longer than the
// caller can hold is refused rather than cut. Templated on the character type so the same rule
// runs on Windows (wchar_t) and in native tests (char16_t).
#pragma once

#include <stddef.h>

// Registry value type of a zero-terminated string (REG_SZ in the Windows headers).
const unsigned long RegistryStringType = 1;

// buffer holds dataBytes bytes of value data and has room for capacityUnits characters.
// On success it holds a terminated string of at most maxChars characters and true is returned.
template <typename Char>
bool TerminateRegistryString(Char *buffer, size_t capacityUnits, unsigned long type,
                             unsigned long dataBytes, size_t maxChars) {
    if (type != RegistryStringType || capacityUnits == 0) {
        return false;
    }
    size_t units = dataBytes / sizeof(Char);
    if (units > capacityUnits) {
        units = capacityUnits;
    }
    size_t length = 0;
    while (length < units && buffer[length] != 0) {
        ++length;
    }
    if (length > maxChars || length >= capacityUnits) {
        return false;
    }
    buffer[length] = 0;
    return true;
}
