// Reply shapes, with and without each fault.
#include <gtest/gtest.h>

#include "byte_text.h"
#include "reply_plan.h"

namespace {

const std::string Normal = "AT@M?\r\r\n2\r\n\r\nOK\r\n";
const std::string Answer = "2";

struct Seg {
    int delay_ms;
    std::string bytes;
};

Fault On(FaultKind kind) {
    return DefaultFault(kind);
}

Fault With(FaultKind kind, int arg1, int arg2 = 0) {
    Fault fault = DefaultFault(kind);
    fault.arg1 = arg1;
    fault.arg2 = arg2;
    return fault;
}

Fault Bytes(const std::string &bytes) {
    Fault fault = DefaultFault(FaultKind::Leftover);
    fault.bytes = bytes;
    return fault;
}

void ExpectSegments(const ReplyPlan &plan, const std::vector<Seg> &expected,
                    const std::string &name) {
    ASSERT_EQ(plan.segments.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(plan.segments[i].delay_ms, expected[i].delay_ms) << name << " #" << i;
        EXPECT_EQ(EscapedOf(plan.segments[i].bytes), EscapedOf(expected[i].bytes))
            << name << " #" << i;
    }
}

TEST(NormalReply, EchoThenAnswerThenOk) {
    EXPECT_EQ(NormalReply("AT@M?", &Answer), Normal);
    EXPECT_EQ(Normal.size(), 17u);
    EXPECT_EQ(NormalReply("AT", nullptr), "AT\r\r\nERROR\r\n");
    std::string empty;
    EXPECT_EQ(NormalReply("ATI3", &empty), "ATI3\r\r\n\r\n\r\nOK\r\n");
}

TEST(PlanReply, EachFaultBendsTheReply) {
    const struct {
        const char *name;
        std::vector<std::pair<FaultKind, Fault>> faults;
        std::vector<Seg> expected;
    } cases[] = {
        {"none", {}, {{0, Normal}}},
        {"noecho", {{FaultKind::NoEcho, On(FaultKind::NoEcho)}}, {{0, "\r\n2\r\n\r\nOK\r\n"}}},
        {"badecho",
         {{FaultKind::BadEcho, On(FaultKind::BadEcho)}},
         {{0, "ATAM?\r\r\n2\r\n\r\nOK\r\n"}}},
        {"badecho first byte",
         {{FaultKind::BadEcho, With(FaultKind::BadEcho, 0)}},
         {{0, "BT@M?\r\r\n2\r\n\r\nOK\r\n"}}},
        {"badecho past the end changes the CR",
         {{FaultKind::BadEcho, With(FaultKind::BadEcho, 99)}},
         {{0, "AT@M?\x0e\r\n2\r\n\r\nOK\r\n"}}},
        {"lowerecho",
         {{FaultKind::LowerEcho, On(FaultKind::LowerEcho)}},
         {{0, "at@m?\r\r\n2\r\n\r\nOK\r\n"}}},
        {"leftover",
         {{FaultKind::Leftover, On(FaultKind::Leftover)}},
         {{0, "\r\nOK\r\n" + Normal}}},
        {"leftover given", {{FaultKind::Leftover, Bytes("5\r\n")}}, {{0, "5\r\n" + Normal}}},
        {"zero at answer",
         {{FaultKind::Zero, On(FaultKind::Zero)}},
         {{0, std::string("AT@M?\r\r\n\0002\r\n\r\nOK\r\n", 18)}}},
        {"zero at start",
         {{FaultKind::Zero, With(FaultKind::Zero, 0)}},
         {{0, std::string(1, '\0') + Normal}}},
        {"zero past the end",
         {{FaultKind::Zero, With(FaultKind::Zero, 999)}},
         {{0, Normal + std::string(1, '\0')}}},
        {"long 40",
         {{FaultKind::Long, With(FaultKind::Long, 40)}},
         {{0, "AT@M?\r\r\n2" + std::string(24, '#') + "\r\n\r\nOK\r\n"}}},
        {"long shorter than the reply",
         {{FaultKind::Long, With(FaultKind::Long, 10)}},
         {{0, Normal}}},
        {"empty", {{FaultKind::Empty, On(FaultKind::Empty)}}, {{0, "AT@M?\r\r\n\r\n\r\nOK\r\n"}}},
        {"okonly", {{FaultKind::OkOnly, On(FaultKind::OkOnly)}}, {{0, "AT@M?\r\r\nOK\r\n"}}},
        {"error", {{FaultKind::Error, On(FaultKind::Error)}}, {{0, "AT@M?\r\r\nERROR\r\n"}}},
        {"silent", {{FaultKind::Silent, On(FaultKind::Silent)}}, {}},
        {"delay", {{FaultKind::Delay, With(FaultKind::Delay, 1500)}}, {{0 + 1500, Normal}}},
        {"split",
         {{FaultKind::Split, With(FaultKind::Split, 6, 300)}},
         {{0, "AT@M?\r"}, {300, "\r\n2\r\n\r\nOK\r\n"}}},
        {"split beyond the reply",
         {{FaultKind::Split, With(FaultKind::Split, 17, 300)}},
         {{0, Normal}}},
        {"delay and split",
         {{FaultKind::Delay, With(FaultKind::Delay, 900)},
          {FaultKind::Split, With(FaultKind::Split, 3, 50)}},
         {{900, "AT@"}, {50, "M?\r\r\n2\r\n\r\nOK\r\n"}}},
        {"noecho wins over lowerecho",
         {{FaultKind::NoEcho, On(FaultKind::NoEcho)},
          {FaultKind::LowerEcho, On(FaultKind::LowerEcho)}},
         {{0, "\r\n2\r\n\r\nOK\r\n"}}},
        {"leftover before lower-case echo",
         {{FaultKind::Leftover, Bytes("x")}, {FaultKind::LowerEcho, On(FaultKind::LowerEcho)}},
         {{0, "xat@m?\r\r\n2\r\n\r\nOK\r\n"}}},
        {"long with empty answer",
         {{FaultKind::Long, With(FaultKind::Long, 20)}, {FaultKind::Empty, On(FaultKind::Empty)}},
         {{0, "AT@M?\r\r\n#####\r\n\r\nOK\r\n"}}},
        {"silent swallows delay",
         {{FaultKind::Silent, On(FaultKind::Silent)},
          {FaultKind::Delay, With(FaultKind::Delay, 100)}},
         {}},
        {"error wins over okonly and empty",
         {{FaultKind::Error, On(FaultKind::Error)},
          {FaultKind::OkOnly, On(FaultKind::OkOnly)},
          {FaultKind::Empty, On(FaultKind::Empty)}},
         {{0, "AT@M?\r\r\nERROR\r\n"}}},
        {"okonly wins over empty",
         {{FaultKind::OkOnly, On(FaultKind::OkOnly)}, {FaultKind::Empty, On(FaultKind::Empty)}},
         {{0, "AT@M?\r\r\nOK\r\n"}}},
        {"okonly and zero",
         {{FaultKind::OkOnly, On(FaultKind::OkOnly)}, {FaultKind::Zero, On(FaultKind::Zero)}},
         {{0, std::string("AT@M?\r\r\n\0OK\r\n", 13)}}},
    };
    for (const auto &c : cases) {
        FaultSet faults;
        for (const auto &entry : c.faults)
            faults[entry.first] = entry.second;
        ReplyPlan plan = PlanReply("AT@M?", &Answer, &faults);
        ExpectSegments(plan, c.expected, c.name);
        EXPECT_EQ(plan.applied.size(), c.faults.size()) << c.name;
    }
}

TEST(PlanReply, UnknownCommandGetsErrorAndFaults) {
    FaultSet faults;
    ExpectSegments(PlanReply("AT+X", nullptr, &faults), {{0, "AT+X\r\r\nERROR\r\n"}}, "plain");
    faults[FaultKind::LowerEcho] = On(FaultKind::LowerEcho);
    ExpectSegments(PlanReply("AT+X", nullptr, &faults), {{0, "at+x\r\r\nERROR\r\n"}}, "lower");
}

TEST(PlanReply, GarbageReplacesEchoAndAnswer) {
    const struct {
        int length;
        size_t expected;
        std::string leftover;
    } cases[] = {
        {0, Normal.size(), ""},
        {5, 5, ""},
        {90, 90, ""},
        {4, 6, "OK"},
    };
    for (const auto &c : cases) {
        FaultSet faults;
        faults[FaultKind::Garbage] = With(FaultKind::Garbage, c.length);
        if (!c.leftover.empty())
            faults[FaultKind::Leftover] = Bytes(c.leftover);
        ReplyPlan first = PlanReply("AT@M?", &Answer, &faults);
        ReplyPlan second = PlanReply("AT@M?", &Answer, &faults);
        ASSERT_EQ(first.segments.size(), 1u);
        const std::string &bytes = first.segments[0].bytes;
        EXPECT_EQ(bytes.size(), c.expected);
        EXPECT_EQ(bytes.compare(0, c.leftover.size(), c.leftover), 0);
        for (size_t i = c.leftover.size(); i < bytes.size(); i++)
            EXPECT_GE(static_cast<unsigned char>(bytes[i]), 0x80) << i;
        EXPECT_NE(second.segments[0].bytes, bytes) << "noise repeats";
    }
}

TEST(PlanReply, CountedFaultTurnsItselfOff) {
    FaultSet faults;
    faults[FaultKind::NoEcho] = On(FaultKind::NoEcho);
    faults[FaultKind::NoEcho].remaining = 2;
    const char *expected[] = {"\r\n2\r\n\r\nOK\r\n", "\r\n2\r\n\r\nOK\r\n", Normal.c_str(),
                              Normal.c_str()};
    for (size_t i = 0; i < 4; i++) {
        ReplyPlan plan = PlanReply("AT@M?", &Answer, &faults);
        ASSERT_EQ(plan.segments.size(), 1u);
        EXPECT_EQ(plan.segments[0].bytes, expected[i]) << "reply " << i;
    }
    EXPECT_FALSE(faults[FaultKind::NoEcho].on);
}

TEST(PlanReply, CommandFilterLimitsFaultAndItsCount) {
    FaultSet faults;
    faults[FaultKind::Empty] = On(FaultKind::Empty);
    faults[FaultKind::Empty].only = "ATI4";
    faults[FaultKind::Empty].remaining = 1;
    std::string answer = "x";
    const struct {
        const char *command;
        const char *expected;
    } sequence[] = {
        {"ATI3", "ATI3\r\r\nx\r\n\r\nOK\r\n"},
        {"ATI4", "ATI4\r\r\n\r\n\r\nOK\r\n"},
        {"ATI4", "ATI4\r\r\nx\r\n\r\nOK\r\n"},
    };
    for (const auto &step : sequence) {
        ReplyPlan plan = PlanReply(step.command, &answer, &faults);
        ASSERT_EQ(plan.segments.size(), 1u);
        EXPECT_EQ(EscapedOf(plan.segments[0].bytes), EscapedOf(step.expected)) << step.command;
    }
}

TEST(DescribeFault, ReadsAsTheControlLine) {
    Fault counted = With(FaultKind::Delay, 1500);
    counted.remaining = 2;
    counted.only = "ATI3";
    const struct {
        FaultKind kind;
        Fault fault;
        const char *expected;
    } cases[] = {
        {FaultKind::NoEcho, On(FaultKind::NoEcho), "noecho"},
        {FaultKind::BadEcho, On(FaultKind::BadEcho), "badecho 2"},
        {FaultKind::Leftover, On(FaultKind::Leftover), "leftover hex:0D0A4F4B0D0A"},
        {FaultKind::Garbage, On(FaultKind::Garbage), "garbage"},
        {FaultKind::Zero, On(FaultKind::Zero), "zero"},
        {FaultKind::Zero, With(FaultKind::Zero, 3), "zero 3"},
        {FaultKind::Long, On(FaultKind::Long), "long 64"},
        {FaultKind::Split, With(FaultKind::Split, 6, 300), "split 6 300"},
        {FaultKind::Delay, counted, "delay 1500 for 2 only ATI3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DescribeFault(c.kind, c.fault), c.expected);
}

} // namespace
