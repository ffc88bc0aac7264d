// Timer identifiers of the modem tools' main dialogs.
#pragma once

// One-shot timer of 1 ms, set in WM_INITDIALOG: its first WM_TIMER starts the dialog's serial
// work as soon as the dialog's message loop runs.
const unsigned int IDT_START = 40005;
