// Command recognition and splitting of the received byte stream.
#include <gtest/gtest.h>

#include "at_command.h"

namespace {

TEST(RecogniseCommand, KnowsExactlyTheCardsCommands) {
    const struct {
        const char *line;
        AtCommand expected;
    } cases[] = {
        {"AT@M?", AtCommand::ServiceMode},    {"AT#Q5:0", AtCommand::PublicLevel},
        {"AT#Q5:2", AtCommand::PrivateLevel}, {"AT@Y", AtCommand::Psid},
        {"ATI6", AtCommand::Phone},           {"ATI3", AtCommand::Info3},
        {"ATI4", AtCommand::Info4},           {"ATI5", AtCommand::Info5},
        {"AT", AtCommand::Unknown},           {"", AtCommand::Unknown},
        {"at@m?", AtCommand::Unknown},        {"AT@M? ", AtCommand::Unknown},
        {"AT#Q5:1", AtCommand::Unknown},      {"ATI7", AtCommand::Unknown},
        {" ATI3", AtCommand::Unknown},        {"AT@M?\n", AtCommand::Unknown},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RecogniseCommand(c.line), c.expected) << c.line;
}

TEST(AnswerOf, TakesEachCommandsField) {
    CardState state;
    state.mode = "m";
    state.level0 = "l0";
    state.level2 = "l2";
    state.psid = "ps";
    state.phone = "ph";
    state.info3 = "i3";
    state.info4 = "i4";
    state.info5 = "i5";
    const struct {
        AtCommand command;
        const char *expected;
    } cases[] = {
        {AtCommand::ServiceMode, "m"},   {AtCommand::PublicLevel, "l0"},
        {AtCommand::PrivateLevel, "l2"}, {AtCommand::Psid, "ps"},
        {AtCommand::Phone, "ph"},        {AtCommand::Info3, "i3"},
        {AtCommand::Info4, "i4"},        {AtCommand::Info5, "i5"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AnswerOf(c.command, state), c.expected);
}

TEST(CommandSplitter, CommandsEndAtCarriageReturn) {
    const struct {
        std::vector<std::string> chunks;
        std::vector<std::string> expected;
        std::string pending;
    } cases[] = {
        {{"AT@M?\r"}, {"AT@M?"}, ""},
        {{"AT", "@M", "?\r"}, {"AT@M?"}, ""},
        {{"AT@M?\rATI3\r"}, {"AT@M?", "ATI3"}, ""},
        {{"AT@M?\rATI"}, {"AT@M?"}, "ATI"},
        {{"AT@M?"}, {}, "AT@M?"},
        {{"\r"}, {""}, ""},
        {{"AT@Y\r\nATI6\r"}, {"AT@Y", "ATI6"}, ""},
        {{"\n\nAT@Y\r"}, {"AT@Y"}, ""},
        {{"AT\nX\r"}, {"AT\nX"}, ""},
        {{std::string("AT\0Y\r", 5)}, {std::string("AT\0Y", 4)}, ""},
    };
    for (const auto &c : cases) {
        CommandSplitter splitter;
        std::vector<std::string> got;
        for (const std::string &chunk : c.chunks)
            for (const std::string &command : splitter.Feed(chunk))
                got.push_back(command);
        EXPECT_EQ(got, c.expected) << c.chunks[0];
        EXPECT_EQ(splitter.Pending(), c.pending) << c.chunks[0];
    }
}

TEST(CommandSplitter, DropsOverlongCommandUpToItsCarriageReturn) {
    CommandSplitter splitter;
    std::string flood(CommandSplitter::MaxCommandBytes + 10, 'x');
    EXPECT_TRUE(splitter.Feed(flood).empty());
    EXPECT_TRUE(splitter.Feed("still junk\rATI3\r") == std::vector<std::string>{"ATI3"});
    EXPECT_EQ(splitter.Overflows(), 1u);
}

TEST(CommandSplitter, ClearForgetsPartialCommand) {
    CommandSplitter splitter;
    splitter.Feed("ATI");
    splitter.Clear();
    EXPECT_EQ(splitter.Feed("3\r"), std::vector<std::string>{"3"});
}

} // namespace
