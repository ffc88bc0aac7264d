// Fuzzes the reply framing with arbitrary commands and replies, in both tools' buffer sizes.
#include "common/reply_line.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The first byte chooses how much of the input is the command (at most 15 bytes, as the
    // 16-byte command buffers hold), the rest is the reply (at most 32 or 63 bytes).
    if (size < 1) {
        return 0;
    }
    size_t commandLength = data[0] % 16;
    data += 1;
    size -= 1;
    if (commandLength > size) {
        commandLength = size;
    }
    char command[16] = {0};
    memcpy(command, data, commandLength);
    data += commandLength;
    size -= commandLength;

    const size_t replySizes[] = {33, 64};
    for (size_t replyBytes : replySizes) {
        char reply[64] = {0};
        size_t taken = size < replyBytes - 1 ? size : replyBytes - 1;
        memcpy(reply, data, taken);
        char line[64];
        memset(line, 0x5A, sizeof line);
        if (ExtractReplyLine(command, reply, line)) {
            size_t length = strnlen(line, sizeof line);
            // The line fits in a buffer as large as the reply and holds no line break.
            if (length >= replyBytes || memchr(line, '\r', length) || memchr(line, '\n', length)) {
                __builtin_trap();
            }
        } else if (line[0] != 0x5A) {
            __builtin_trap();
        }
    }
    return 0;
}
