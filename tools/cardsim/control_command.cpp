// Parsing control lines into commands.
#include "control_command.h"

#include <algorithm>
#include <cstdlib>

#include "byte_text.h"

namespace {

const long MaxNumber = 10000000;

std::vector<std::string> Words(const std::string &line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            i++;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            i++;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// The text after the first `count` words, without the blanks that separate it from them.
std::string RestAfter(const std::string &line, size_t count) {
    size_t i = 0;
    for (size_t n = 0; n < count; n++) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            i++;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            i++;
    }
    if (i < line.size())
        i++; // one separating blank; further blanks belong to the text
    return line.substr(i);
}

bool ParseNumber(const std::string &word, long min, long *value) {
    if (word.empty())
        return false;
    char *end = nullptr;
    long n = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || n < min || n > MaxNumber)
        return false;
    *value = n;
    return true;
}

bool ParseFaultArg(FaultArgs args, size_t index, const std::string &word, Fault *fault,
                   std::string *error) {
    long n = 0;
    switch (args) {
    case FaultArgs::None:
        break;
    case FaultArgs::Bytes:
        if (index == 0)
            return ParseByteSpec(word, &fault->bytes, error);
        break;
    case FaultArgs::Offset:
    case FaultArgs::Millis:
        if (index == 0 && ParseNumber(word, 0, &n)) {
            fault->arg1 = static_cast<int>(n);
            return true;
        }
        break;
    case FaultArgs::Length:
        if (index == 0 && ParseNumber(word, 1, &n)) {
            fault->arg1 = static_cast<int>(n);
            return true;
        }
        break;
    case FaultArgs::BytesAndMillis:
        if (index < 2 && ParseNumber(word, index == 0 ? 1 : 0, &n)) {
            (index == 0 ? fault->arg1 : fault->arg2) = static_cast<int>(n);
            return true;
        }
        break;
    }
    *error = "bad argument '" + word + "'";
    return false;
}

bool ParseFault(const std::vector<std::string> &words, ControlCommand *command,
                std::string *error) {
    if (words.size() < 2) {
        *error = "fault needs a name";
        return false;
    }
    FaultKind kind;
    if (!FaultByName(words[1], &kind)) {
        *error = "unknown fault '" + words[1] + "'";
        return false;
    }
    const FaultInfo &info = InfoOf(kind);
    command->fault = kind;
    if (words.size() == 3 && words[2] == "off") {
        command->verb = ControlVerb::FaultOff;
        return true;
    }
    command->verb = ControlVerb::Fault;
    Fault fault = DefaultFault(kind);
    size_t args = 0;
    for (size_t i = 2; i < words.size(); i++) {
        const std::string &word = words[i];
        long n = 0;
        if (word == "on" && i == 2) {
            continue;
        } else if (word == "for") {
            if (i + 1 == words.size() || !ParseNumber(words[i + 1], 1, &n)) {
                *error = "'for' needs a number of replies";
                return false;
            }
            fault.remaining = static_cast<int>(n);
            i++;
        } else if (word == "only") {
            if (i + 1 == words.size()) {
                *error = "'only' needs a command";
                return false;
            }
            fault.only = words[++i];
        } else {
            if (!ParseFaultArg(info.args, args, word, &fault, error)) {
                *error = "fault " + std::string(info.usage) + ": " + *error;
                return false;
            }
            args++;
        }
    }
    if (args < static_cast<size_t>(info.min_args)) {
        *error = "usage: fault " + std::string(info.usage);
        return false;
    }
    command->settings = fault;
    return true;
}

bool ParseSet(const std::string &line, const std::vector<std::string> &words,
              ControlCommand *command, std::string *error) {
    if (words.size() < 2 || !StateFieldByName(words[1], &command->field)) {
        *error = "usage: set mode|level0|level2|psid|phone|i3|i4|i5 TEXT";
        return false;
    }
    std::string text = RestAfter(line, 2);
    if (!ParseCardText(text, &command->value, error))
        return false;
    bool raw = text.compare(0, 4, "hex:") == 0;
    if (!raw && !FieldValueValid(command->field, command->value)) {
        *error = command->field == StateField::Mode ? "mode takes one of 0-9, A, a"
                                                    : "a level takes one digit 0-9";
        return false;
    }
    command->verb = ControlVerb::Set;
    return true;
}

const struct {
    const char *word;
    ControlVerb verb;
} PlainVerbs[] = {
    {"status", ControlVerb::Status}, {"line", ControlVerb::Line},     {"clear", ControlVerb::Clear},
    {"remove", ControlVerb::Remove}, {"insert", ControlVerb::Insert}, {"reset", ControlVerb::Reset},
    {"quit", ControlVerb::Quit},     {"help", ControlVerb::Help},
};

} // namespace

bool ParseControlCommand(const std::string &line, ControlCommand *command, std::string *error) {
    std::vector<std::string> words = Words(line);
    *command = ControlCommand();
    if (words.empty()) {
        *error = "empty command";
        return false;
    }
    if (words[0] == "set")
        return ParseSet(line, words, command, error);
    if (words[0] == "fault")
        return ParseFault(words, command, error);
    if (words[0] == "note") {
        command->verb = ControlVerb::Note;
        command->value = RestAfter(line, 1);
        return true;
    }
    for (const auto &entry : PlainVerbs) {
        if (words[0] == entry.word) {
            if (words.size() > 1) {
                *error = words[0] + " takes no arguments";
                return false;
            }
            command->verb = entry.verb;
            return true;
        }
    }
    *error = "unknown command '" + words[0] + "' (try help)";
    return false;
}

std::vector<std::string> ControlHelp() {
    std::vector<std::string> lines = {
        "status                 card, port, answers, faults and counters",
        "line                   line settings the tool applied to the port",
        "set mode X             AT@M? answer: 0-9, A or a",
        "set level0 D           AT#Q5:0 answer: 0-9",
        "set level2 D           AT#Q5:2 answer: 0-9",
        "set psid|phone TEXT    AT@Y / ATI6 answer",
        "set i3|i4|i5 TEXT      ATI3 / ATI4 / ATI5 answer (UTF-8, sent as Shift-JIS)",
        "                       any set value may be hex:BYTES for raw bytes",
    };
    lines.push_back("fault NAME [ARG...] [for N] [only COMMAND]");
    lines.push_back("                       switch a fault on, for the next N replies, for one");
    lines.push_back("                       command (e.g. ATI3); faults combine. NAME [ARG...]:");
    for (size_t i = 0; i < FaultKindCount; i++) {
        const FaultInfo &info = InfoOf(static_cast<FaultKind>(i));
        std::string usage = "  " + std::string(info.usage);
        usage.resize(std::max<size_t>(usage.size() + 1, 23), ' ');
        lines.push_back(usage + info.summary);
    }
    lines.push_back("fault NAME off         switch one fault off");
    lines.push_back("clear                  switch all faults off");
    lines.push_back("remove                 take the card out (port and registry entry go)");
    lines.push_back("insert                 put the card back");
    lines.push_back("reset                  default answers, no faults, card inserted");
    lines.push_back("note TEXT              write TEXT into the transcript");
    lines.push_back("quit                   stop the simulator");
    return lines;
}
