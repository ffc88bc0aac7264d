// The signal dialog's procedure and the poller behind it: a tick every 1200 ms opens the card's
// port when it is closed, shows the acquiring picture for four ticks after every opening, then
// asks the card for its service mode and reception level and shows the matching picture.
#pragma once

#include "../common/modem_timers.h"
#include "../common/wince_compat.h"

// Periodic poll timer, started after the first tick.
const unsigned int IDT_POLL = 40006;
const unsigned int PollPeriodMs = 1200;

// Ticks after an opening of the port that still show the acquiring picture.
const int WarmUpTicks = 4;

// Ticks left to show the acquiring picture while the port is open; 0 at start.
extern int WarmUpCount;

INT_PTR CALLBACK SignalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// One poll tick.
void PollSignal();

// Asks for the mode and, as the mode needs, one or two levels; ends in one ShowSignalState.
void QuerySignalState();

// The service mode: 0..9, 10 for 'a' or 'A', -1 for no usable answer.
int QueryMode();

// The reception level of a service (0 public, 2 private): 0..9, -1 for no usable answer.
int QueryLevel(int service);
