// The AT commands the card knows and how received bytes become commands.
#pragma once

#include <string>
#include <vector>

#include "card_state.h"

enum class AtCommand {
    ServiceMode,  // AT@M?
    PublicLevel,  // AT#Q5:0
    PrivateLevel, // AT#Q5:2
    Psid,         // AT@Y
    Phone,        // ATI6
    Info3,        // ATI3
    Info4,        // ATI4
    Info5,        // ATI5
    Unknown,
};

// `line` is the command without its CR. Matching is exact, as the tools send it.
AtCommand RecogniseCommand(const std::string &line);

// The answer line for a known command.
const std::string &AnswerOf(AtCommand command, const CardState &state);

// Collects received bytes into commands: a CR ends one; LFs before a command's first byte are
// dropped. A command that grows past MaxCommandBytes without a CR is thrown away with the rest
// of its bytes up to the next CR, and gets no reply.
class CommandSplitter {
  public:
    static const size_t MaxCommandBytes = 256;

    std::vector<std::string> Feed(const std::string &chunk);
    void Clear();
    const std::string &Pending() const {
        return pending_;
    }
    unsigned Overflows() const {
        return overflows_;
    }

  private:
    std::string pending_;
    bool discarding_ = false;
    unsigned overflows_ = 0;
};
