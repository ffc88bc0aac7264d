// Control lines: what a person or a scenario tells the card to do.
#pragma once

#include <string>
#include <vector>

#include "card_state.h"
#include "faults.h"

enum class ControlVerb {
    Status,   // status
    Line,     // line
    Set,      // set FIELD TEXT|hex:BYTES
    Fault,    // fault NAME [on] [ARG...] [for N] [only COMMAND]
    FaultOff, // fault NAME off
    Clear,    // clear
    Remove,   // remove
    Insert,   // insert
    Reset,    // reset
    Note,     // note TEXT
    Quit,     // quit
    Help,     // help
};

struct ControlCommand {
    ControlVerb verb = ControlVerb::Status;
    StateField field = StateField::Mode;
    std::string value; // Set: the bytes to answer with; Note: the text
    FaultKind fault = FaultKind::NoEcho;
    Fault settings; // Fault: the fault as it is to be switched on
};

bool ParseControlCommand(const std::string &line, ControlCommand *command, std::string *error);

// One line per command form, for `help` and --help.
std::vector<std::string> ControlHelp();
