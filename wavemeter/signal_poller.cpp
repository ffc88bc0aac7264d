// The signal dialog procedure, the poll tick and the card queries.
#include "signal_poller.h"
#include "app_shell.h"
#include "modem_link.h"
#include "reply_line.h"
#include "signal_display.h"
#include "signal_rules.h"

#include <stdio.h>
#include <string.h>

int WarmUpCount;

// One read asks for 32 bytes; the buffer has one more so that a reply filling all 32 still
// ends in a zero byte. The answer line is never longer than the reply.
static const DWORD ReplyReadBytes = 32;
static const DWORD ReplyBufferBytes = ReplyReadBytes + 1;
static const int CommandBytes = 16;

// Sends command and picks the answer line after the card's echo out of the reply. False when
// there is no line: the write or the read failed, or the reply does not begin with the echo.
// A failed write closes the port, so that the next tick opens it afresh.
static bool AskCard(const char *command, char *line) {
    char reply[ReplyBufferBytes];
    switch (ExchangeAtCommand(command, reply, ReplyBufferBytes, ReplyReadBytes)) {
    case ExchangeWriteFailed:
        CloseModemPort();
        return false;
    case ExchangeReadFailed:
        return false;
    case ExchangeDone:
        break;
    }
    memset(line, 0, ReplyBufferBytes);
    return ExtractReplyLine(command, reply, line) == 1;
}

int QueryMode() {
    char command[CommandBytes] = "AT@M?\r";
    char line[ReplyBufferBytes];
    if (!AskCard(command, line)) {
        return -1;
    }
    return ModeFromAnswer(line);
}

int QueryLevel(int service) {
    char command[CommandBytes];
    // 8 bytes and the terminator for the services 0 and 2.
    (void)sprintf(command, "AT#Q5:%c\r", '0' + service);
    char line[ReplyBufferBytes];
    if (!AskCard(command, line)) {
        return -1;
    }
    return LevelFromAnswer(line);
}

void QuerySignalState() {
    SignalState state = DecideSignalState(QueryMode(), QueryLevel);
    ShowSignalState(state.picture, state.badge);
}

void PollSignal() {
    if (ModemPort == NULL) {
        OpenModemPort();
        if (ModemPort == NULL) {
            ShowSignalState(PictureUnavailable, NoBadge);
            return;
        }
        // Just opened: give the card four ticks before the first query.
        WarmUpCount = WarmUpTicks;
        ShowSignalState(PictureAcquiring, NoBadge);
        --WarmUpCount;
        return;
    }
    if (WarmUpCount > 0) {
        ShowSignalState(PictureAcquiring, NoBadge);
        --WarmUpCount;
        return;
    }
    QuerySignalState();
}

INT_PTR CALLBACK SignalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CenterOnParent(dialog, HWND_TOPMOST, SWP_NOSIZE);
        CreateSignalPictures(dialog);
        (void)SetTimer(dialog, IDT_START, 1, NULL);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            CloseModemPort();
            return TRUE;
        }
        break;
    case WM_TIMER:
        // The first tick runs from the one-shot start timer; the periodic timer follows it, so
        // a slow first tick never queues a second one behind it.
        if (wParam == IDT_START) {
            KillTimer(dialog, IDT_START);
            PollSignal();
            (void)SetTimer(dialog, IDT_POLL, PollPeriodMs, NULL);
        } else {
            PollSignal();
        }
        break;
    case WM_DESTROY:
        DestroySignalPictures();
        break;
    }
    return FALSE;
}
