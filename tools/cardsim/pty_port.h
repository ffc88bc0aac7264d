// The card's COM port: a pseudo-terminal whose slave a stable symlink names. The simulator
// keeps only the master open, so the master reports a hang-up whenever no tool holds the port.
#pragma once

#include <string>

#include "tty_keeper.h"

struct PtyPort {
    int master = -1;
    std::string slave; // /dev/pts/N
    std::string link;
    TtyKeeper keeper;
};

// Opens a raw pseudo-terminal and points `link` at its slave. `warning` tells when the slave
// could not be kept from becoming another session's controlling terminal (the port works all
// the same).
bool OpenPtyPort(const std::string &link, PtyPort *port, std::string *error, std::string *warning);

// Closes the master (a tool still holding the slave sees a hang-up) and removes the link.
void ClosePtyPort(PtyPort *port);

// Throws away what was sent to the port but not read before the tool closed it, so the next
// open starts clean as after the card's driver has closed.
void DiscardUnread(const PtyPort &port);

// A tool has the slave open.
bool SlaveHeld(const PtyPort &port);

// The settings the tool applied, as DescribeLineSettings prints them.
bool ReadLineSettings(const PtyPort &port, std::string *text, std::string *error);
