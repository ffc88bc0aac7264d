// The card as the tools see it: answers, faults and the command stream, without any I/O.
#pragma once

#include <string>
#include <vector>

#include "at_command.h"
#include "card_state.h"
#include "control_command.h"
#include "faults.h"
#include "reply_plan.h"

struct Card {
    CardState state = DefaultCardState();
    FaultSet faults;
    CommandSplitter splitter;
    unsigned long commands = 0; // commands received
    unsigned long unknown = 0;  // of which the card did not know
};

struct CommandReply {
    std::string command; // without its CR
    AtCommand kind;
    ReplyPlan plan;
};

// Takes received bytes; returns the replies for the commands they completed, in order.
std::vector<CommandReply> ReceiveBytes(Card *card, const std::string &chunk);

// Applies set, fault, clear and reset; returns what changed, for the transcript. Other verbs
// concern the port or the program and leave the card alone.
std::string ApplyToCard(Card *card, const ControlCommand &command);

// What `status` shows beside the card itself.
struct PortReport {
    bool inserted = true;
    bool held = false; // the tool has the port open
    std::string link;
    std::string pty;
    unsigned long rx_bytes = 0;
    unsigned long tx_bytes = 0;
    unsigned long opens = 0;
    unsigned long closes = 0;
    unsigned long dropped = 0; // replies due while the port was closed
    std::string scenario;      // "none", "line N", "done"
    std::string registry;      // "off", "idle", "busy"
};

// key=value lines: card, port, answers, faults, counters.
std::vector<std::string> StatusLines(const Card &card, const PortReport &port);
