// Reply assembly: echo, answer lines, and the faults that bend them.
#include "reply_plan.h"

#include <algorithm>

namespace {

const char CrLf[] = "\r\n";

struct Body {
    std::string answer;
    bool ok_tail; // followed by a blank line and "OK"
};

std::string BodyBytes(const Body &body) {
    std::string bytes = CrLf + body.answer + CrLf;
    if (body.ok_tail)
        bytes += std::string(CrLf) + "OK" + CrLf;
    return bytes;
}

// Takes the fault when it is on and meant for this command, and uses up one of its replies.
bool Take(FaultSet *faults, FaultKind kind, const std::string &command, ReplyPlan *plan) {
    Fault &fault = (*faults)[kind];
    if (!fault.on || (!fault.only.empty() && fault.only != command))
        return false;
    if (fault.remaining > 0 && --fault.remaining == 0)
        fault.on = false;
    plan->applied.push_back(kind);
    return true;
}

std::string Noise(size_t length, uint32_t *state) {
    std::string bytes;
    for (size_t i = 0; i < length; i++) {
        *state = *state * 1103515245u + 12345u;
        // High bit set: noise never reads as an ASCII echo.
        bytes += static_cast<char>(0x80 | ((*state >> 16) & 0x7F));
    }
    return bytes;
}

} // namespace

std::string NormalReply(const std::string &command, const std::string *answer) {
    std::string echo = command + "\r";
    if (answer == nullptr)
        return echo + BodyBytes(Body{"ERROR", false});
    return echo + BodyBytes(Body{*answer, true});
}

ReplyPlan PlanReply(const std::string &command, const std::string *answer, FaultSet *faults) {
    ReplyPlan plan;
    FaultSet &f = *faults;

    // Of the faults that replace the answer, the bluntest wins: error, then okonly, then empty.
    bool error = Take(faults, FaultKind::Error, command, &plan);
    bool ok_only = Take(faults, FaultKind::OkOnly, command, &plan);
    bool empty = Take(faults, FaultKind::Empty, command, &plan);
    Body body = answer != nullptr ? Body{*answer, true} : Body{"ERROR", false};
    if (error)
        body = Body{"ERROR", false};
    else if (ok_only)
        body = Body{"OK", false};
    else if (empty)
        body.answer.clear();

    std::string echo = command + "\r";
    if (Take(faults, FaultKind::LowerEcho, command, &plan))
        std::transform(echo.begin(), echo.end(), echo.begin(),
                       [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; });
    if (Take(faults, FaultKind::BadEcho, command, &plan)) {
        size_t at = std::min(static_cast<size_t>(f[FaultKind::BadEcho].arg1), echo.size() - 1);
        echo[at] = static_cast<char>(echo[at] + 1);
    }
    if (Take(faults, FaultKind::NoEcho, command, &plan))
        echo.clear();

    if (Take(faults, FaultKind::Long, command, &plan)) {
        size_t limit = static_cast<size_t>(f[FaultKind::Long].arg1);
        size_t size = echo.size() + BodyBytes(body).size();
        if (size <= limit)
            body.answer.append(limit + 1 - size, '#');
    }

    std::string leftover;
    if (Take(faults, FaultKind::Leftover, command, &plan))
        leftover = f[FaultKind::Leftover].bytes;

    std::string reply = echo + BodyBytes(body);
    if (Take(faults, FaultKind::Garbage, command, &plan)) {
        int length = f[FaultKind::Garbage].arg1;
        reply = Noise(length > 0 ? static_cast<size_t>(length) : reply.size(), &f.noise);
    }
    std::string bytes = leftover + reply;

    if (Take(faults, FaultKind::Zero, command, &plan)) {
        int offset = f[FaultKind::Zero].arg1;
        size_t at = offset >= 0 ? static_cast<size_t>(offset) : leftover.size() + echo.size() + 2;
        bytes.insert(std::min(at, bytes.size()), 1, '\0');
    }

    // Delay and split use up their replies even when the card stays silent.
    bool silent = Take(faults, FaultKind::Silent, command, &plan);
    int delay = Take(faults, FaultKind::Delay, command, &plan) ? f[FaultKind::Delay].arg1 : 0;
    bool split = Take(faults, FaultKind::Split, command, &plan);
    if (silent || bytes.empty())
        return plan;
    size_t first = static_cast<size_t>(f[FaultKind::Split].arg1);
    if (split && first > 0 && first < bytes.size()) {
        plan.segments.push_back(Segment{delay, bytes.substr(0, first)});
        plan.segments.push_back(Segment{f[FaultKind::Split].arg2, bytes.substr(first)});
    } else {
        plan.segments.push_back(Segment{delay, bytes});
    }
    return plan;
}
