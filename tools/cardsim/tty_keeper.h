// A small child process that makes the card's pseudo-terminal the controlling terminal of a
// session of its own, holding no descriptor of it.
//
// A session leader that opens a terminal without O_NOCTTY takes it as its controlling terminal
// if no session has it yet. wineserver is such a leader and opens COM ports itself; removing the
// card would then hang up wineserver's terminal and send it SIGHUP (which makes some builds dump
// their whole object table to stderr). With the terminal already spoken for, nobody else takes it.
#pragma once

#include <string>
#include <sys/types.h>

struct TtyKeeper {
    pid_t pid = -1;
    int hold = -1; // closing it lets the keeper exit
};

// Starts the keeper and waits until it has claimed `slave`; false if it could not.
bool StartTtyKeeper(const std::string &slave, TtyKeeper *keeper);

// Lets the keeper go and reaps it; call after the master is closed.
void StopTtyKeeper(TtyKeeper *keeper);
