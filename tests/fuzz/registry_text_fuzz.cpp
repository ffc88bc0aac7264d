// Fuzzes the registry string rule with arbitrary value data, types and buffer sizes.
#include "common/registry_text.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3) {
        return 0;
    }
    unsigned long type = data[0] % 8;
    size_t capacity = 1 + data[1] % 130;
    size_t maxChars = data[2] % 140;
    data += 3;
    size -= 3;
    // The value as a registry read leaves it: at most the buffer's bytes are copied in.
    char16_t buffer[130];
    size_t bytes = size < capacity * sizeof(char16_t) ? size : capacity * sizeof(char16_t);
    memset(buffer, 0xAB, sizeof buffer);
    memcpy(buffer, data, bytes);
    if (TerminateRegistryString(buffer, capacity, type, static_cast<unsigned long>(size),
                                maxChars)) {
        size_t length = 0;
        while (length < capacity && buffer[length] != 0) {
            ++length;
        }
        if (length >= capacity || length > maxChars || type != RegistryStringType) {
            __builtin_trap();
        }
    }
    return 0;
}
