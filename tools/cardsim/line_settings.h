// The serial settings a tool applied to the port, as read back from the pseudo-terminal.
#pragma once

#include <string>
#include <termios.h>

// "speed=115200 data=8 parity=none stop=1 rtscts=0 xonxoff=0"; parity is none, odd, even, mark
// or space; xonxoff is 1 when output (IXON) or input (IXOFF) flow control is on.
std::string DescribeLineSettings(const struct termios &settings);

// Bits per second for a termios speed code; 0 for an unknown code.
unsigned long BaudOf(speed_t speed);
