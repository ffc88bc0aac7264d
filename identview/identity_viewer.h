// The identity dialog and the one query pass behind it: when the dialog opens it asks the card
// for its PSID, telephone number, group caption and two lines, one AT command each, and shows
// each answer or the row's fallback text. The card is read once per opening of the dialog.
#pragma once

#include "../common/modem_timers.h"
#include "../common/wince_compat.h"

const int IdentityCommandBytes = 16;
const int IdentityRowCount = 5;

// One row of the query: the command (with its carriage return, zero-filled behind it), the
// control that shows the result, the text it shows when the row fails, and whether the shown
// line begins with an ideographic space.
struct IdentityQuery {
    char command[IdentityCommandBytes];
    int control;
    const WCHAR *fallback;
    bool prefixed;
};

// The five rows, sent in this order.
extern const IdentityQuery IdentityQueries[IdentityRowCount];

INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The texts shown from the dialog's creation until the query pass sets them.
void ShowIdentityAcquiring(HWND dialog);

// The texts shown when the card's port is not available.
void ShowIdentityUnavailable(HWND dialog);

// One query pass: opens the card's port, reads the five rows or shows the unavailable texts,
// and closes the port again.
void QueryCardIdentity(HWND dialog);

// The five exchanges; ModemPort must be open. A failing row never stops the others.
void ReadIdentityFields(HWND dialog);
