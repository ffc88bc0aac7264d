// Recognising AT commands in the received byte stream.
#include "at_command.h"

namespace {

const struct {
    const char *text;
    AtCommand command;
    StateField field;
} Commands[] = {
    {"AT@M?", AtCommand::ServiceMode, StateField::Mode},
    {"AT#Q5:0", AtCommand::PublicLevel, StateField::Level0},
    {"AT#Q5:2", AtCommand::PrivateLevel, StateField::Level2},
    {"AT@Y", AtCommand::Psid, StateField::Psid},
    {"ATI6", AtCommand::Phone, StateField::Phone},
    {"ATI3", AtCommand::Info3, StateField::Info3},
    {"ATI4", AtCommand::Info4, StateField::Info4},
    {"ATI5", AtCommand::Info5, StateField::Info5},
};

} // namespace

AtCommand RecogniseCommand(const std::string &line) {
    for (const auto &entry : Commands)
        if (line == entry.text)
            return entry.command;
    return AtCommand::Unknown;
}

const std::string &AnswerOf(AtCommand command, const CardState &state) {
    static const std::string none;
    for (const auto &entry : Commands)
        if (entry.command == command)
            return FieldOf(state, entry.field);
    return none;
}

std::vector<std::string> CommandSplitter::Feed(const std::string &chunk) {
    std::vector<std::string> commands;
    for (char c : chunk) {
        if (c == '\r') {
            if (!discarding_)
                commands.push_back(pending_);
            pending_.clear();
            discarding_ = false;
        } else if (discarding_ || (c == '\n' && pending_.empty())) {
            continue;
        } else if (pending_.size() >= MaxCommandBytes) {
            pending_.clear();
            discarding_ = true;
            overflows_++;
        } else {
            pending_ += c;
        }
    }
    return commands;
}

void CommandSplitter::Clear() {
    pending_.clear();
    discarding_ = false;
}
