// Picking the answer line out of a modem's reply to an AT command.
#pragma once

#include <stddef.h>

// Where the answer line begins: after the card's echo of the command (its carriage return
// included) and the CR/LF bytes that follow it. NULL when the reply does not begin with the echo.
const char *FindAnswerLine(const char *command, const char *reply);

// Bytes of the answer line up to the next CR, LF or the end of the reply.
size_t AnswerLineLength(const char *answer);

// The reply must begin with the card's echo of the command (its carriage return included).
// On success the text after the CR/LF bytes following the echo, up to the next CR or LF, is
// copied into line (which must hold as many bytes as the reply buffer) and 1 is returned;
// otherwise 0 is returned and line is not written.
int ExtractReplyLine(const char *command, const char *reply, char *line);
