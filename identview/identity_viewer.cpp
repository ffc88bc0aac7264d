// The identity dialog procedure, the query pass and the five identity rows.
#include "identity_viewer.h"
#include "app_shell.h"
#include "identity_line.h"
#include "modem_link.h"
#include "resource.h"

#include <string.h>

static const WCHAR AcquiringText[] = L"取得中です";
static const WCHAR UnavailableText[] = L"取得できませんでした";
// The ideographic space in front matches the fixed captions of the other two group boxes.
static const WCHAR NoGroupCaption[] = L"\x3000--------";

const IdentityQuery IdentityQueries[IdentityRowCount] = {
    {"AT@Y\r", IDC_PSID, UnavailableText, false},
    {"ATI6\r", IDC_PHONE_NUMBER, UnavailableText, false},
    {"ATI3\r", IDC_CARD_GROUP, NoGroupCaption, true},
    {"ATI4\r", IDC_CARD_LINE1, UnavailableText, false},
    {"ATI5\r", IDC_CARD_LINE2, UnavailableText, false},
};

// Set once the pass of the current opening has run: the card is read once per opening, however
// many WM_TIMER messages reach the dialog.
static bool IdentityRead;

// The four line controls; the group caption is set on its own.
static const int IdentityLines[] = {IDC_PSID, IDC_PHONE_NUMBER, IDC_CARD_LINE1, IDC_CARD_LINE2};

static void ShowIdentityTexts(HWND dialog, const WCHAR *lineText) {
    for (size_t i = 0; i < sizeof IdentityLines / sizeof IdentityLines[0]; ++i) {
        SetDlgItemTextW(dialog, IdentityLines[i], lineText);
    }
    SetDlgItemTextW(dialog, IDC_CARD_GROUP, NoGroupCaption);
}

void ShowIdentityAcquiring(HWND dialog) {
    ShowIdentityTexts(dialog, AcquiringText);
}

void ShowIdentityUnavailable(HWND dialog) {
    ShowIdentityTexts(dialog, UnavailableText);
}

// One AT exchange of a row; true with the row's line (in the system code page) in line.
static bool ReadIdentityLine(const IdentityQuery &row, char *line) {
    char command[IdentityCommandBytes];
    memcpy(command, row.command, IdentityCommandBytes);
    char reply[IdentityLineBytes];
    // A failed write leaves the port open: only this row fails. The exchange forces the last
    // reply byte to zero, so the reply is at most 63 bytes of text.
    if (ExchangeAtCommand(command, reply, IdentityLineBytes, IdentityLineBytes) != ExchangeDone) {
        return false;
    }
    memset(line, 0, IdentityLineBytes);
    return ExtractIdentityLine(command, reply, line, row.prefixed) == 1;
}

void ReadIdentityFields(HWND dialog) {
    for (int i = 0; i < IdentityRowCount; ++i) {
        const IdentityQuery &row = IdentityQueries[i];
        char line[IdentityLineBytes];
        // A line holds at most 61 bytes with its terminator, each giving at most one character.
        // The buffer is cleared first so the text stays terminated even if the conversion
        // takes a lead byte cut off by the end of the reply together with the terminator.
        WCHAR wide[IdentityLineBytes];
        memset(wide, 0, sizeof wide);
        if (ReadIdentityLine(row, line) &&
            MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, line, -1, wide, IdentityLineBytes) != 0) {
            SetDlgItemTextW(dialog, row.control, wide);
        } else {
            SetDlgItemTextW(dialog, row.control, row.fallback);
        }
    }
}

void QueryCardIdentity(HWND dialog) {
    OpenModemPort();
    if (ModemPort != NULL) {
        ReadIdentityFields(dialog);
    } else {
        // No card, or its port is held elsewhere: nothing is sent.
        ShowIdentityUnavailable(dialog);
    }
    CloseModemPort();
}

INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CenterOnParent(dialog, HWND_TOP, SWP_NOSIZE | SWP_NOZORDER);
        ShowIdentityAcquiring(dialog);
        IdentityRead = false;
        // The pass runs from the first tick, once the dialog exists with its acquiring texts.
        (void)SetTimer(dialog, IDT_START, 1, NULL);
        return TRUE;
    case WM_TIMER:
        KillTimer(dialog, IDT_START);
        if (!IdentityRead) {
            IdentityRead = true;
            QueryCardIdentity(dialog);
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}
