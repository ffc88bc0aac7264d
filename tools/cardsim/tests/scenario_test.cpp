// Scenario lines and the timing of their steps.
#include <gtest/gtest.h>

#include <cstring>

#include "scenario.h"

namespace {

TEST(ParseScenario, ReadsEveryStepKind) {
    const char *text = "# card comes and goes\n"
                       "\n"
                       "set mode 2\n"
                       "  wait 1200   \n"
                       "wait 1.5s\n"
                       "wait 250ms\n"
                       "at 4.8 set level0 3\n"
                       "at 4800ms fault okonly only AT#Q5:0\n"
                       "await open\n"
                       "await close\n"
                       "await command\n"
                       "await command ATI3\n"
                       "loop\n";
    std::vector<ScenarioStep> steps;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, &steps, &error)) << error;
    const struct {
        StepKind kind;
        int line;
        long ms;
    } expected[] = {
        {StepKind::Run, 3, 0},    {StepKind::Wait, 4, 1200}, {StepKind::Wait, 5, 1500},
        {StepKind::Wait, 6, 250}, {StepKind::At, 7, 4800},   {StepKind::At, 8, 4800},
        {StepKind::Await, 9, 0},  {StepKind::Await, 10, 0},  {StepKind::Await, 11, 0},
        {StepKind::Await, 12, 0}, {StepKind::Loop, 13, 0},
    };
    ASSERT_EQ(steps.size(), std::size(expected));
    for (size_t i = 0; i < steps.size(); i++) {
        EXPECT_EQ(steps[i].kind, expected[i].kind) << i;
        EXPECT_EQ(steps[i].line, expected[i].line) << i;
        EXPECT_EQ(steps[i].ms, expected[i].ms) << i;
    }
    EXPECT_EQ(steps[0].command.verb, ControlVerb::Set);
    EXPECT_EQ(steps[4].text, "set level0 3");
    EXPECT_EQ(steps[5].command.settings.only, "AT#Q5:0");
    EXPECT_EQ(steps[6].event, AwaitEvent::Open);
    EXPECT_EQ(steps[7].event, AwaitEvent::Close);
    EXPECT_EQ(steps[8].awaited, "");
    EXPECT_EQ(steps[9].awaited, "ATI3");
}

TEST(ParseScenario, NamesTheBadLine) {
    const struct {
        const char *text;
        const char *error;
    } cases[] = {
        {"wait\n", "line 1: wait needs"},
        {"set mode 2\nwait soon\n", "line 2: wait needs"},
        {"wait -5\n", "line 1: wait needs"},
        {"at 4.8\n", "line 1: at needs a command"},
        {"at x set mode 2\n", "line 1: at needs a time"},
        {"at 1 set mode Z\n", "line 1: mode takes"},
        {"await\n", "line 1: usage: await"},
        {"await open now\n", "line 1: usage: await"},
        {"await command ATI3 ATI4\n", "line 1: usage: await"},
        {"set mode 2\nloop\n", "line 2: loop without a pause"},
        {"wait 0\nloop\n", "line 2: loop without a pause"},
        {"wait 10\nloop again\n", "line 2: loop takes no"},
        {"# fine\n\nlaunch\n", "line 3: unknown command"},
    };
    for (const auto &c : cases) {
        std::vector<ScenarioStep> steps;
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, &steps, &error)) << c.text;
        EXPECT_EQ(error.compare(0, std::strlen(c.error), c.error), 0) << c.text << " -> " << error;
    }
}

std::vector<ScenarioStep> Parse(const char *text) {
    std::vector<ScenarioStep> steps;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, &steps, &error)) << error;
    return steps;
}

// The command lines a runner hands out when polled at `now`.
std::vector<std::string> RunAt(ScenarioRunner *runner, long now) {
    std::vector<std::string> ran;
    while (const ScenarioStep *step = runner->Next(now))
        ran.push_back(step->text);
    return ran;
}

using Lines = std::vector<std::string>;

TEST(ScenarioRunner, WaitsAndAtTimesFollowTheClock) {
    ScenarioRunner runner;
    runner.Start(Parse("set mode 2\nwait 1000\nset mode 0\nat 2.5 set mode A\nwait 500\n"
                       "set mode 3\n"),
                 10000);
    const struct {
        long now;
        Lines ran;
        long due;
    } timeline[] = {
        {10000, {"set mode 2"}, 1000}, {10999, {}, 1},
        {11003, {"set mode 0"}, 1497}, {12499, {}, 1},
        {12500, {"set mode A"}, 500},  {12990, {}, 10},
        {13000, {"set mode 3"}, -1},   {20000, {}, -1},
    };
    for (const auto &t : timeline) {
        EXPECT_EQ(RunAt(&runner, t.now), t.ran) << t.now;
        EXPECT_EQ(runner.Due(t.now), t.due) << t.now;
    }
    EXPECT_FALSE(runner.Running());
}

TEST(ScenarioRunner, LateWakeUpsDoNotShiftLaterSteps) {
    ScenarioRunner runner;
    runner.Start(Parse("wait 100\nnote a\nwait 100\nnote b\n"), 0);
    EXPECT_EQ(RunAt(&runner, 130), Lines{"note a"});
    EXPECT_EQ(runner.Due(130), 70);
    EXPECT_EQ(RunAt(&runner, 200), Lines{"note b"});
}

TEST(ScenarioRunner, ResumeCountsPausesFromASlowCommand) {
    ScenarioRunner runner;
    runner.Start(Parse("remove\nwait 1000\ninsert\n"), 0);
    EXPECT_EQ(RunAt(&runner, 0), Lines{"remove"});
    runner.Resume(1500); // the removal took 1.5 s
    EXPECT_EQ(RunAt(&runner, 2000), Lines{});
    EXPECT_EQ(RunAt(&runner, 2500), Lines{"insert"});
}

TEST(ScenarioRunner, LoopRestartsWithAtTimesFromThePassStart) {
    ScenarioRunner runner;
    runner.Start(Parse("at 1 set mode 2\nat 2 set mode 0\nloop\n"), 0);
    const struct {
        long now;
        Lines ran;
    } timeline[] = {
        {0, {}},
        {1000, {"set mode 2"}},
        {2000, {"set mode 0"}},
        {2999, {}},
        {3000, {"set mode 2"}},
        {4000, {"set mode 0"}},
        {5000, {"set mode 2"}},
    };
    for (const auto &t : timeline)
        EXPECT_EQ(RunAt(&runner, t.now), t.ran) << t.now;
    EXPECT_TRUE(runner.Running());
}

TEST(ScenarioRunner, AwaitTakesOnlyLaterMatchingEvents) {
    ScenarioRunner runner;
    runner.Start(Parse("note start\nawait open\nnote opened\nawait command ATI3\nnote asked\n"
                       "wait 100\nnote later\n"),
                 0);
    EXPECT_FALSE(runner.Notice(AwaitEvent::Open, "", 0)); // before the step: must not count
    EXPECT_EQ(RunAt(&runner, 0), Lines{"note start"});
    EXPECT_EQ(runner.Due(5), -1);
    EXPECT_FALSE(runner.Notice(AwaitEvent::Close, "", 10));
    EXPECT_EQ(RunAt(&runner, 10), Lines{});
    EXPECT_TRUE(runner.Notice(AwaitEvent::Open, "", 20));
    EXPECT_FALSE(runner.Notice(AwaitEvent::Open, "", 21)); // already seen
    EXPECT_EQ(runner.Due(20), 0);
    EXPECT_EQ(RunAt(&runner, 20), Lines{"note opened"});
    EXPECT_FALSE(runner.Notice(AwaitEvent::Command, "ATI4", 30));
    EXPECT_EQ(RunAt(&runner, 30), Lines{});
    EXPECT_TRUE(runner.Notice(AwaitEvent::Command, "ATI3", 40));
    EXPECT_EQ(RunAt(&runner, 45), Lines{"note asked"});
    EXPECT_EQ(RunAt(&runner, 139), Lines{});
    EXPECT_EQ(RunAt(&runner, 140), Lines{"note later"});
}

} // namespace
