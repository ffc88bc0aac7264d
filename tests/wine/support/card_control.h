// Drives the simulated card from a Win32 test: runs its Unix control command through Wine's
// ability to start Unix programs, and waits for the answer in a file.
#pragma once

#include <string>

// Runs `cardsim ctl <words>` against the card the test tier started; returns its output
// followed by a line "status=N" (0 when the card accepted the command), or "unreachable".
std::string CardControl(const std::string &words);

// Runs a control command and tells whether the card accepted it.
bool CardDoes(const std::string &words);

// True when the test tier runs a card simulator (the environment names its build).
bool CardAvailable();

// How many commands the card has received since it started, or -1 when it does not say.
int CardCommandCount();
