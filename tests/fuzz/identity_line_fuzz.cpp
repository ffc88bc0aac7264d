// Fuzzes identview's line extraction with arbitrary replies to its five commands.
// fuzz-sources: common/reply_line.cpp
#include "identview/identity_line.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const char *const Commands[] = {"AT@Y\r", "ATI6\r", "ATI3\r", "ATI4\r", "ATI5\r"};
    if (size < 1) {
        return 0;
    }
    const char *command = Commands[data[0] % 5];
    bool prefixed = (data[0] & 0x80) != 0;
    // The reply as a read leaves it: at most 63 bytes, zero-terminated.
    char reply[IdentityLineBytes] = {0};
    size_t taken = size - 1 < IdentityLineBytes - 1 ? size - 1 : IdentityLineBytes - 1;
    memcpy(reply, data + 1, taken);
    char line[IdentityLineBytes + 8];
    memset(line, 0x5A, sizeof line);
    if (ExtractIdentityLine(command, reply, line, prefixed)) {
        size_t length = strnlen(line, IdentityLineBytes);
        if (length >= IdentityLineBytes || line[IdentityLineBytes] != 0x5A) {
            __builtin_trap(); // the line must end inside its 64 bytes
        }
        if (length == 0 || (prefixed && memcmp(line, "\x81\x40", 2) != 0)) {
            __builtin_trap(); // never empty: a missing value shows as --------
        }
    } else if (line[0] != 0x5A) {
        __builtin_trap();
    }
    return 0;
}
