// Commands in, replies out, and control lines applied to the card.
#include "card.h"

#include "byte_text.h"

std::vector<CommandReply> ReceiveBytes(Card *card, const std::string &chunk) {
    std::vector<CommandReply> replies;
    for (const std::string &command : card->splitter.Feed(chunk)) {
        AtCommand kind = RecogniseCommand(command);
        const std::string *answer = nullptr;
        if (kind != AtCommand::Unknown)
            answer = &AnswerOf(kind, card->state);
        card->commands++;
        if (kind == AtCommand::Unknown)
            card->unknown++;
        replies.push_back(CommandReply{command, kind, PlanReply(command, answer, &card->faults)});
    }
    return replies;
}

std::string ApplyToCard(Card *card, const ControlCommand &command) {
    switch (command.verb) {
    case ControlVerb::Set:
        *FieldOf(&card->state, command.field) = command.value;
        return std::string(StateFieldName(command.field)) + "=" + DisplayOf(command.value);
    case ControlVerb::Fault:
        card->faults[command.fault] = command.settings;
        return "fault " + DescribeFault(command.fault, command.settings);
    case ControlVerb::FaultOff:
        card->faults[command.fault].on = false;
        return "fault " + std::string(InfoOf(command.fault).name) + " off";
    case ControlVerb::Clear:
        card->faults = FaultSet();
        return "faults cleared";
    case ControlVerb::Reset:
        card->state = DefaultCardState();
        card->faults = FaultSet();
        card->splitter.Clear();
        return "reset";
    default:
        return "";
    }
}

std::vector<std::string> StatusLines(const Card &card, const PortReport &port) {
    std::vector<std::string> lines;
    lines.push_back(std::string("card=") + (port.inserted ? "inserted" : "removed"));
    lines.push_back(std::string("port=") + (port.held ? "open" : "closed"));
    lines.push_back("link=" + port.link);
    lines.push_back("pty=" + (port.pty.empty() ? std::string("none") : port.pty));
    for (StateField field :
         {StateField::Mode, StateField::Level0, StateField::Level2, StateField::Psid,
          StateField::Phone, StateField::Info3, StateField::Info4, StateField::Info5})
        lines.push_back(std::string(StateFieldName(field)) + "=" +
                        DisplayOf(FieldOf(card.state, field)));
    bool any = false;
    for (size_t i = 0; i < FaultKindCount; i++) {
        FaultKind kind = static_cast<FaultKind>(i);
        if (card.faults[kind].on) {
            lines.push_back("fault=" + DescribeFault(kind, card.faults[kind]));
            any = true;
        }
    }
    if (!any)
        lines.push_back("fault=none");
    lines.push_back("commands=" + std::to_string(card.commands) +
                    " unknown=" + std::to_string(card.unknown) +
                    " overflows=" + std::to_string(card.splitter.Overflows()) +
                    " dropped=" + std::to_string(port.dropped));
    lines.push_back(
        "rx_bytes=" + std::to_string(port.rx_bytes) + " tx_bytes=" + std::to_string(port.tx_bytes) +
        " opens=" + std::to_string(port.opens) + " closes=" + std::to_string(port.closes));
    lines.push_back("scenario=" + port.scenario);
    lines.push_back("registry=" + port.registry);
    return lines;
}
