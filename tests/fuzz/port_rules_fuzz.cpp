// Fuzzes portswap's registry value rules: arbitrary Name and Key data of any type and length.
#include "portswap/port_rules.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    unsigned long type = data[0] % 8;
    size_t textUnits = 1 + data[1] % 80;
    data += 2;
    size -= 2;
    wchar_t buffer[82];
    wmemset(buffer, L'#', 82);
    size_t copied = size < textUnits * sizeof(wchar_t) ? size : textUnits * sizeof(wchar_t);
    memcpy(buffer, data, copied);
    if (!TakeRegistryText(buffer, textUnits, type, static_cast<unsigned long>(size))) {
        return 0;
    }
    if (wcsnlen(buffer, textUnits + 1) > textUnits || buffer[textUnits + 1] != L'#') {
        __builtin_trap(); // terminated inside the buffer, nothing written past it
    }
    int index = ComIndexOfName(buffer);
    if (index < -1 || index >= ComPortCount) {
        __builtin_trap();
    }
    DriverKeyRow row = RowOfDriverKey(buffer);
    if (row.rowText != nullptr && (row.rowText < buffer || row.rowText > buffer + wcslen(buffer))) {
        __builtin_trap(); // the row shows part of the key itself
    }
    if (row.isIrda && row.rowText == nullptr) {
        __builtin_trap();
    }
    int number = ComNumberOfEntry(buffer);
    if (number != -1 && (number < 1 || number > 9)) {
        __builtin_trap(); // never a value outside 1 to 9 for Index
    }
    return 0;
}
