// The card's COM port: a pseudo-terminal whose slave a stable symlink names. The simulator
// keeps only the master open, so the master reports a hang-up whenever no tool holds the port.
#pragma once

#include <string>

struct PtyPort {
    int master = -1;
    std::string slave; // /dev/pts/N
    std::string link;
};

bool OpenPtyPort(const std::string &link, PtyPort *port, std::string *error);

// Closes the master (a tool still holding the slave sees a hang-up) and removes the link.
void ClosePtyPort(PtyPort *port);

// A tool has the slave open.
bool SlaveHeld(const PtyPort &port);

// The settings the tool applied, as DescribeLineSettings prints them.
bool ReadLineSettings(const PtyPort &port, std::string *text, std::string *error);
