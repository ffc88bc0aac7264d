// Picking the identity line out of the card's reply to one of identview's AT commands.
#pragma once

// Bytes of identview's reply and line buffers. A reply is at most IdentityLineBytes - 1 bytes.
const int IdentityLineBytes = 64;

// The reply must begin with the card's echo of the command (its carriage return included).
// On success 1 is returned and line (IdentityLineBytes bytes) holds the first line after the
// CR/LF bytes that follow the echo, up to the next CR or LF; a line that is empty or is exactly
// "OK" becomes "--------". With prefixed set, the Shift-JIS ideographic space 0x81 0x40 comes
// first. Otherwise 0 is returned and line is not written.
int ExtractIdentityLine(const char *command, const char *reply, char *line, bool prefixed);
