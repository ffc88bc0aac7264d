// The card end to end without I/O: bytes in, replies out, control lines applied.
#include <gtest/gtest.h>

#include "byte_text.h"
#include "card.h"

namespace {

std::string Reply(const CommandReply &reply) {
    std::string bytes;
    for (const Segment &segment : reply.plan.segments)
        bytes += segment.bytes;
    return bytes;
}

void Control(Card *card, const char *line) {
    ControlCommand command;
    std::string error;
    ASSERT_TRUE(ParseControlCommand(line, &command, &error)) << line << ": " << error;
    ApplyToCard(card, command);
}

TEST(Card, DefaultAnswers) {
    const struct {
        const char *command;
        const char *answer;
    } cases[] = {
        {"AT@M?", "0"},
        {"AT#Q5:0", "4"},
        {"AT#Q5:2", "2"},
        {"AT@Y", "00F3A9C1B207"},
        {"ATI6", "07012345678"},
        {"ATI3", "PHS \x83\x66\x81\x5B\x83\x5E\x92\xCA\x90\x4D\x83\x4A\x81\x5B\x83\x68"},
    };
    for (const auto &c : cases) {
        Card card;
        auto replies = ReceiveBytes(&card, std::string(c.command) + "\r");
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(EscapedOf(Reply(replies[0])),
                  EscapedOf(std::string(c.command) + "\r\r\n" + c.answer + "\r\n\r\nOK\r\n"));
    }
}

TEST(Card, DefaultInfoLinesAreShiftJis) {
    Card card;
    for (const char *command : {"ATI3\r", "ATI4\r", "ATI5\r"}) {
        auto replies = ReceiveBytes(&card, command);
        ASSERT_EQ(replies.size(), 1u);
        std::string answer = AnswerOf(replies[0].kind, card.state);
        std::string utf8;
        EXPECT_TRUE(Cp932ToUtf8(answer, &utf8)) << command;
        EXPECT_NE(answer, utf8) << command << " has no Japanese";
    }
}

TEST(Card, SetChangesAnswers) {
    const struct {
        const char *control;
        const char *command;
        std::string answer;
    } cases[] = {
        {"set mode 2", "AT@M?", "2"},
        {"set mode A", "AT@M?", "A"},
        {"set level0 0", "AT#Q5:0", "0"},
        {"set level2 6", "AT#Q5:2", "6"},
        {"set psid 0A0B0C0D0E0F", "AT@Y", "0A0B0C0D0E0F"},
        {"set phone 07098765432", "ATI6", "07098765432"},
        {"set i3 グループ", "ATI3", "\x83\x4F\x83\x8B\x81\x5B\x83\x76"},
        {"set i4 Ver 2.00", "ATI4", "Ver 2.00"},
        {"set i5 hex:8140", "ATI5", "\x81\x40"},
    };
    for (const auto &c : cases) {
        Card card;
        Control(&card, c.control);
        auto replies = ReceiveBytes(&card, std::string(c.command) + "\r");
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(EscapedOf(Reply(replies[0])),
                  EscapedOf(std::string(c.command) + "\r\r\n" + c.answer + "\r\n\r\nOK\r\n"))
            << c.control;
    }
}

TEST(Card, RepliesInOrderAndCounts) {
    Card card;
    auto replies = ReceiveBytes(&card, "AT@M?\rAT#Q");
    ASSERT_EQ(replies.size(), 1u);
    auto more = ReceiveBytes(&card, "5:0\rAT&F\r");
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[0].kind, AtCommand::PublicLevel);
    EXPECT_EQ(more[1].kind, AtCommand::Unknown);
    EXPECT_EQ(Reply(more[1]), "AT&F\r\r\nERROR\r\n");
    EXPECT_EQ(card.commands, 3u);
    EXPECT_EQ(card.unknown, 1u);
}

TEST(Card, ClearAndResetUndoChanges) {
    Card card;
    Control(&card, "set mode 2");
    Control(&card, "fault noecho");
    Control(&card, "fault silent");
    Control(&card, "fault silent off");
    EXPECT_EQ(Reply(ReceiveBytes(&card, "AT@M?\r")[0]), "\r\n2\r\n\r\nOK\r\n");
    Control(&card, "clear");
    EXPECT_EQ(Reply(ReceiveBytes(&card, "AT@M?\r")[0]), "AT@M?\r\r\n2\r\n\r\nOK\r\n");
    Control(&card, "fault noecho");
    ReceiveBytes(&card, "ATI");
    Control(&card, "reset");
    EXPECT_FALSE(card.faults.Any());
    EXPECT_EQ(Reply(ReceiveBytes(&card, "AT@M?\r")[0]), "AT@M?\r\r\n0\r\n\r\nOK\r\n");
}

TEST(StatusLines, ShowCardPortAndFaults) {
    Card card;
    Control(&card, "set i3 データ");
    Control(&card, "set i4 hex:0D");
    Control(&card, "fault delay 1500 for 3");
    ReceiveBytes(&card, "AT@M?\rX\r");
    PortReport port;
    port.inserted = false;
    port.link = "/tmp/com3";
    port.rx_bytes = 8;
    port.scenario = "none";
    port.registry = "off";
    std::string text;
    for (const std::string &line : StatusLines(card, port))
        text += line + "\n";
    const char *expected[] = {
        "card=removed\n",
        "port=closed\n",
        "link=/tmp/com3\n",
        "pty=none\n",
        "mode=0\n",
        "i3=データ\n",
        "i4=hex:0D\n",
        "fault=delay 1500 for 1\n",
        "commands=2 unknown=1",
        "rx_bytes=8 ",
        "scenario=none\n",
        "registry=off\n",
    };
    for (const char *line : expected)
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

} // namespace
