// Reply framing of an AT exchange: echo check and answer line.
#include "reply_line.h"

#include <string.h>

const char *FindAnswerLine(const char *command, const char *reply) {
    size_t n = strlen(command);
    // A reply shorter than the command differs at its terminating zero.
    if (strncmp(reply, command, n) != 0) {
        return NULL;
    }
    const char *answer = reply + n;
    while (*answer == '\r' || *answer == '\n') {
        ++answer;
    }
    return answer;
}

size_t AnswerLineLength(const char *answer) {
    size_t length = 0;
    while (answer[length] != 0 && answer[length] != '\r' && answer[length] != '\n') {
        ++length;
    }
    return length;
}

int ExtractReplyLine(const char *command, const char *reply, char *line) {
    const char *answer = FindAnswerLine(command, reply);
    if (answer == NULL) {
        return 0;
    }
    size_t length = AnswerLineLength(answer);
    memcpy(line, answer, length);
    line[length] = 0;
    return 1;
}
