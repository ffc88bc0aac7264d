// The serial link to the card modem and one AT exchange over it.
#pragma once

#include "wince_compat.h"

// The open COM device of the card modem, NULL while the port is closed.
extern HANDLE ModemPort;

// Finds the card modem's device and opens and sets it up; afterwards ModemPort is an open
// handle or NULL. Called only while the port is closed.
void OpenModemPort();

// Closes ModemPort if it is open; does nothing when it is closed.
void CloseModemPort();

enum ExchangeResult { ExchangeDone, ExchangeWriteFailed, ExchangeReadFailed };

// Writes command (without its terminator), then reads once, up to `asked` bytes, into reply,
// which holds replyBytes bytes and is cleared first. The last byte of reply is always left zero,
// so the reply is zero-terminated text of at most replyBytes - 1 bytes.
ExchangeResult ExchangeAtCommand(const char *command, char *reply, DWORD replyBytes, DWORD asked);
