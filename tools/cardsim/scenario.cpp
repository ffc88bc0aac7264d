// Scenario lines and the stepping through them.
#include "scenario.h"

#include <cmath>
#include <cstdlib>

namespace {

const double MaxMillis = 1e9;

// "1200", "1200ms", "1.2s"; a bare number is in `bare_unit_ms` units.
bool ParseDuration(const std::string &word, double bare_unit_ms, long *ms) {
    std::string number = word;
    double unit = bare_unit_ms;
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "ms") == 0) {
        number = word.substr(0, word.size() - 2);
        unit = 1;
    } else if (word.size() > 1 && word.back() == 's') {
        number = word.substr(0, word.size() - 1);
        unit = 1000;
    }
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char *end = nullptr;
    double value = std::strtod(number.c_str(), &end) * unit;
    if (*end != '\0' || !(value >= 0) || value > MaxMillis)
        return false;
    *ms = std::lround(value);
    return true;
}

std::string Trim(const std::string &text) {
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

// The first word of `line` and what follows it.
void SplitFirst(const std::string &line, std::string *first, std::string *rest) {
    size_t space = line.find_first_of(" \t");
    *first = line.substr(0, space);
    *rest = space == std::string::npos ? "" : Trim(line.substr(space));
}

bool ParseStep(const std::string &line, ScenarioStep *step, std::string *error) {
    std::string first, rest;
    SplitFirst(line, &first, &rest);
    if (first == "wait") {
        step->kind = StepKind::Wait;
        if (!ParseDuration(rest, 1, &step->ms)) {
            *error = "wait needs a duration (1200, 1200ms, 1.2s)";
            return false;
        }
        return true;
    }
    if (first == "at") {
        std::string time;
        step->kind = StepKind::At;
        SplitFirst(rest, &time, &step->text);
        if (!ParseDuration(time, 1000, &step->ms)) {
            *error = "at needs a time (4.8, 4.8s, 4800ms)";
            return false;
        }
        if (step->text.empty()) {
            *error = "at needs a command after the time";
            return false;
        }
        return ParseControlCommand(step->text, &step->command, error);
    }
    if (first == "await") {
        std::string what;
        step->kind = StepKind::Await;
        SplitFirst(rest, &what, &step->awaited);
        if (what == "open" || what == "close") {
            step->event = what == "open" ? AwaitEvent::Open : AwaitEvent::Close;
            if (step->awaited.empty())
                return true;
        } else if (what == "command") {
            step->event = AwaitEvent::Command;
            if (step->awaited.find_first_of(" \t") == std::string::npos)
                return true;
        }
        *error = "usage: await open | await close | await command [COMMAND]";
        return false;
    }
    if (first == "loop") {
        step->kind = StepKind::Loop;
        if (rest.empty())
            return true;
        *error = "loop takes no arguments";
        return false;
    }
    step->kind = StepKind::Run;
    step->text = line;
    return ParseControlCommand(line, &step->command, error);
}

} // namespace

bool ParseScenario(const std::string &text, std::vector<ScenarioStep> *steps, std::string *error) {
    std::vector<ScenarioStep> parsed;
    bool pauses = false;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        number++;
        if (line.empty() || line[0] == '#')
            continue;
        ScenarioStep step;
        step.line = number;
        std::string why;
        if (!ParseStep(line, &step, &why)) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        if (step.kind == StepKind::Await || (step.kind != StepKind::Run && step.ms > 0))
            pauses = true;
        if (step.kind == StepKind::Loop && !pauses) {
            *error = "line " + std::to_string(number) + ": loop without a pause before it";
            return false;
        }
        parsed.push_back(step);
    }
    *steps = parsed;
    return true;
}

void ScenarioRunner::Start(std::vector<ScenarioStep> steps, long now) {
    steps_ = std::move(steps);
    index_ = 0;
    clock_ = now;
    pass_start_ = now;
    armed_ = false;
    seen_ = false;
}

const ScenarioStep *ScenarioRunner::Next(long now) {
    while (index_ < steps_.size()) {
        const ScenarioStep &step = steps_[index_];
        switch (step.kind) {
        case StepKind::Run:
            index_++;
            return &step;
        case StepKind::At:
            if (now < pass_start_ + step.ms)
                return nullptr;
            if (clock_ < pass_start_ + step.ms)
                clock_ = pass_start_ + step.ms;
            index_++;
            return &step;
        case StepKind::Wait:
            if (now < clock_ + step.ms)
                return nullptr;
            clock_ += step.ms;
            index_++;
            break;
        case StepKind::Await:
            if (!armed_) {
                armed_ = true;
                seen_ = false;
            }
            if (!seen_)
                return nullptr;
            armed_ = false;
            if (clock_ < seen_at_)
                clock_ = seen_at_;
            index_++;
            break;
        case StepKind::Loop:
            index_ = 0;
            pass_start_ = clock_;
            break;
        }
    }
    return nullptr;
}

bool ScenarioRunner::Notice(AwaitEvent event, const std::string &command, long now) {
    if (!armed_ || seen_ || index_ >= steps_.size())
        return false;
    const ScenarioStep &step = steps_[index_];
    if (step.kind != StepKind::Await || step.event != event)
        return false;
    if (event == AwaitEvent::Command && !step.awaited.empty() && step.awaited != command)
        return false;
    seen_ = true;
    seen_at_ = now;
    return true;
}

void ScenarioRunner::Resume(long now) {
    if (clock_ < now)
        clock_ = now;
}

long ScenarioRunner::Due(long now) const {
    if (index_ >= steps_.size())
        return -1;
    const ScenarioStep &step = steps_[index_];
    long due = now;
    switch (step.kind) {
    case StepKind::At:
        due = pass_start_ + step.ms;
        break;
    case StepKind::Wait:
        due = clock_ + step.ms;
        break;
    case StepKind::Await:
        if (!seen_)
            return -1;
        break;
    default:
        break;
    }
    return due > now ? due - now : 0;
}
