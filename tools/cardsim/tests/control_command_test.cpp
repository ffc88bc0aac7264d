// Parsing control lines.
#include <gtest/gtest.h>

#include "byte_text.h"
#include "control_command.h"

namespace {

TEST(ParseControlCommand, PlainVerbs) {
    const struct {
        const char *line;
        ControlVerb verb;
    } cases[] = {
        {"status", ControlVerb::Status}, {"line", ControlVerb::Line},
        {"clear", ControlVerb::Clear},   {"remove", ControlVerb::Remove},
        {"insert", ControlVerb::Insert}, {"  reset  ", ControlVerb::Reset},
        {"quit", ControlVerb::Quit},     {"help", ControlVerb::Help},
    };
    for (const auto &c : cases) {
        ControlCommand command;
        std::string error;
        ASSERT_TRUE(ParseControlCommand(c.line, &command, &error)) << c.line << ": " << error;
        EXPECT_EQ(command.verb, c.verb) << c.line;
    }
}

TEST(ParseControlCommand, SetTakesFieldAndValue) {
    const struct {
        const char *line;
        StateField field;
        std::string value;
    } cases[] = {
        {"set mode 2", StateField::Mode, "2"},
        {"set mode A", StateField::Mode, "A"},
        {"set mode a", StateField::Mode, "a"},
        {"set mode 7", StateField::Mode, "7"},
        {"set mode hex:42", StateField::Mode, "B"},
        {"set level0 0", StateField::Level0, "0"},
        {"set level2 9", StateField::Level2, "9"},
        {"set level2 hex:3130", StateField::Level2, "10"},
        {"set psid 0123456789AB", StateField::Psid, "0123456789AB"},
        {"set phone 070-1111-2222", StateField::Phone, "070-1111-2222"},
        {"set i3 PHS カード", StateField::Info3, "PHS \x83\x4A\x81\x5B\x83\x68"},
        {"set i4 two  spaces kept", StateField::Info4, "two  spaces kept"},
        {"set i5", StateField::Info5, ""},
        {"set i5 hex:0D0A", StateField::Info5, "\r\n"},
    };
    for (const auto &c : cases) {
        ControlCommand command;
        std::string error;
        ASSERT_TRUE(ParseControlCommand(c.line, &command, &error)) << c.line << ": " << error;
        EXPECT_EQ(command.verb, ControlVerb::Set) << c.line;
        EXPECT_EQ(command.field, c.field) << c.line;
        EXPECT_EQ(HexOf(command.value), HexOf(c.value)) << c.line;
    }
}

TEST(ParseControlCommand, FaultTakesArgumentsCountAndCommand) {
    const struct {
        const char *line;
        FaultKind kind;
        int arg1, arg2, remaining;
        const char *only;
        std::string bytes;
    } cases[] = {
        {"fault noecho", FaultKind::NoEcho, 0, 0, -1, "", ""},
        {"fault noecho on", FaultKind::NoEcho, 0, 0, -1, "", ""},
        {"fault badecho", FaultKind::BadEcho, 2, 0, -1, "", ""},
        {"fault badecho 0", FaultKind::BadEcho, 0, 0, -1, "", ""},
        {"fault leftover", FaultKind::Leftover, 0, 0, -1, "", "\r\nOK\r\n"},
        {"fault leftover hex:4F4B0D0A", FaultKind::Leftover, 0, 0, -1, "", "OK\r\n"},
        {"fault leftover 2\\r\\n for 1", FaultKind::Leftover, 0, 0, 1, "", "2\r\n"},
        {"fault garbage", FaultKind::Garbage, 0, 0, -1, "", ""},
        {"fault garbage 40", FaultKind::Garbage, 40, 0, -1, "", ""},
        {"fault zero", FaultKind::Zero, -1, 0, -1, "", ""},
        {"fault zero 9", FaultKind::Zero, 9, 0, -1, "", ""},
        {"fault long", FaultKind::Long, 64, 0, -1, "", ""},
        {"fault long 80 only ATI3", FaultKind::Long, 80, 0, -1, "ATI3", ""},
        {"fault empty for 3", FaultKind::Empty, 0, 0, 3, "", ""},
        {"fault okonly only AT#Q5:0 for 2", FaultKind::OkOnly, 0, 0, 2, "AT#Q5:0", ""},
        {"fault error", FaultKind::Error, 0, 0, -1, "", ""},
        {"fault silent for 1", FaultKind::Silent, 0, 0, 1, "", ""},
        {"fault delay 1500", FaultKind::Delay, 1500, 0, -1, "", ""},
        {"fault split 6", FaultKind::Split, 6, 200, -1, "", ""},
        {"fault split 6 900 for 1", FaultKind::Split, 6, 900, 1, "", ""},
    };
    for (const auto &c : cases) {
        ControlCommand command;
        std::string error;
        ASSERT_TRUE(ParseControlCommand(c.line, &command, &error)) << c.line << ": " << error;
        EXPECT_EQ(command.verb, ControlVerb::Fault) << c.line;
        EXPECT_EQ(command.fault, c.kind) << c.line;
        EXPECT_TRUE(command.settings.on) << c.line;
        EXPECT_EQ(command.settings.arg1, c.arg1) << c.line;
        EXPECT_EQ(command.settings.arg2, c.arg2) << c.line;
        EXPECT_EQ(command.settings.remaining, c.remaining) << c.line;
        EXPECT_EQ(command.settings.only, c.only) << c.line;
        EXPECT_EQ(command.settings.bytes, c.bytes) << c.line;
    }
}

TEST(ParseControlCommand, FaultOffAndNote) {
    ControlCommand command;
    std::string error;
    ASSERT_TRUE(ParseControlCommand("fault delay off", &command, &error));
    EXPECT_EQ(command.verb, ControlVerb::FaultOff);
    EXPECT_EQ(command.fault, FaultKind::Delay);
    ASSERT_TRUE(ParseControlCommand("note step 3: card out", &command, &error));
    EXPECT_EQ(command.verb, ControlVerb::Note);
    EXPECT_EQ(command.value, "step 3: card out");
}

TEST(ParseControlCommand, RejectsWhatMakesNoSense) {
    const char *cases[] = {
        "",
        "   ",
        "launch",
        "status now",
        "set",
        "set colour red",
        "set mode",
        "set mode 22",
        "set mode B",
        "set level0 x",
        "set level2 10",
        "set i3 hex:1",
        "set i3 \xF0\x9F\x98\x80",
        "fault",
        "fault wobble",
        "fault delay",
        "fault delay soon",
        "fault delay -5",
        "fault split",
        "fault split 0",
        "fault split 4 5 6",
        "fault long 0",
        "fault noecho 3",
        "fault noecho for",
        "fault noecho for 0",
        "fault noecho for x",
        "fault noecho only",
        "fault leftover \\q",
        "fault badecho 99999999999",
    };
    for (const char *line : cases) {
        ControlCommand command;
        std::string error;
        EXPECT_FALSE(ParseControlCommand(line, &command, &error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(ControlHelp, NamesEveryFault) {
    std::string help;
    for (const std::string &line : ControlHelp())
        help += line + "\n";
    for (size_t i = 0; i < FaultKindCount; i++) {
        std::string name = InfoOf(static_cast<FaultKind>(i)).name;
        EXPECT_NE(help.find("\n  " + name), std::string::npos) << name;
    }
}

} // namespace
