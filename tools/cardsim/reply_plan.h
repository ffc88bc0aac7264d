// Building the bytes the card writes back for one command, faults applied.
#pragma once

#include <string>
#include <vector>

#include "faults.h"

// Bytes to write after waiting delay_ms (counted from the previous segment of the same reply,
// or from the command's arrival for the first one).
struct Segment {
    int delay_ms;
    std::string bytes;
};

struct ReplyPlan {
    std::vector<Segment> segments; // none when the card stays silent
    std::vector<FaultKind> applied;
};

// The reply without faults: echo (the command and its CR), then CR LF, the answer line, CR LF,
// CR LF, "OK", CR LF; or, for a command the card does not know (`answer` null), the echo and
// CR LF "ERROR" CR LF.
std::string NormalReply(const std::string &command, const std::string *answer);

// The reply with every fault that applies to `command`; each such fault uses up one of its
// replies and turns off when none are left.
ReplyPlan PlanReply(const std::string &command, const std::string *answer, FaultSet *faults);
