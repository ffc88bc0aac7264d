// Picking the answer line out of a modem's reply to an AT command.
#pragma once

// The reply must begin with the card's echo of the command (its carriage return included).
// On success the text after the CR/LF bytes following the echo, up to the next CR or LF, is
// copied into line (which must hold as many bytes as the reply buffer) and 1 is returned;
// otherwise 0 is returned and line is not written.
int ExtractReplyLine(const char *command, const char *reply, char *line);
