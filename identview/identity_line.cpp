// The identity line of a reply: echo check, first line behind it, prefix and no-value text.
#include "identity_line.h"

#include <string.h>

// Ideographic space in Shift-JIS, so a prefixed line lines up with the fixed captions.
static const char IdeographicSpace[] = "\x81\x40";
static const char NoValue[] = "--------";
static const char FinalResult[] = "OK";

int ExtractIdentityLine(const char *command, const char *reply, char *line, bool prefixed) {
    size_t len = strlen(command);
    // A reply shorter than the command differs at its terminating zero.
    if (strncmp(reply, command, len) != 0) {
        return 0;
    }
    size_t length = strlen(reply);
    size_t i = len;
    while (i < length && (reply[i] == '\r' || reply[i] == '\n')) {
        ++i;
    }

    size_t p = 0;
    if (prefixed) {
        memcpy(line, IdeographicSpace, 2);
        p = 2;
    }
    // With identview's five-byte commands and 63-byte replies the line always fits; the bound
    // keeps a shorter command from running past the buffer.
    size_t end = p;
    while (i < length && reply[i] != '\r' && reply[i] != '\n' && end < IdentityLineBytes - 1) {
        line[end++] = reply[i++];
    }
    line[end] = 0;

    if (end == p || strcmp(line + p, FinalResult) == 0) {
        memcpy(line + p, NoValue, sizeof NoValue);
    }
    return 1;
}
