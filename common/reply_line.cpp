// Reply framing of an AT exchange: echo check and answer line.
#include "reply_line.h"

#include <string.h>

int ExtractReplyLine(const char *command, const char *reply, char *line) {
    size_t n = strlen(command);
    // A reply shorter than the command differs at its terminating zero.
    if (strncmp(reply, command, n) != 0) {
        return 0;
    }
    size_t length = strlen(reply);
    size_t i = n;
    while (i < length && (reply[i] == '\r' || reply[i] == '\n')) {
        ++i;
    }
    size_t p = 0;
    while (i < length && reply[i] != '\r' && reply[i] != '\n') {
        line[p++] = reply[i++];
    }
    line[p] = 0;
    return 1;
}
