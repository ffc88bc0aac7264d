// The identity line of a reply: echo check, first line behind it, prefix and no-value text.
#include "identity_line.h"
#include "reply_line.h"

#include <string.h>

// Ideographic space in Shift-JIS, so a prefixed line lines up with the fixed captions.
static const char IdeographicSpace[] = "\x81\x40";
static const char NoValue[] = "--------";
static const char FinalResult[] = "OK";

int ExtractIdentityLine(const char *command, const char *reply, char *line, bool prefixed) {
    const char *answer = FindAnswerLine(command, reply);
    if (answer == NULL) {
        return 0;
    }
    size_t p = 0;
    if (prefixed) {
        memcpy(line, IdeographicSpace, 2);
        p = 2;
    }
    // With identview's five-byte commands and 63-byte replies the line always fits; the bound
    // keeps a shorter command from running past the buffer.
    size_t length = AnswerLineLength(answer);
    if (length > IdentityLineBytes - 1 - p) {
        length = IdentityLineBytes - 1 - p;
    }
    memcpy(line + p, answer, length);
    line[p + length] = 0;

    if (length == 0 || strcmp(line + p, FinalResult) == 0) {
        memcpy(line + p, NoValue, sizeof NoValue);
    }
    return 1;
}
