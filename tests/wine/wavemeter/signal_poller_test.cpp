// The poller against a card at the other end of a pipe: the commands it sends, what it makes of
// the replies, the warm-up, the port's fate after failures, and the dialog procedure's messages.
#include "fake_card.h"
#include "modem_link.h"
#include "signal_dialog.h"
#include "signal_display.h"
#include "signal_poller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Mode = "AT@M?\r";
const std::string Public = "AT#Q5:0\r";
const std::string Private = "AT#Q5:2\r";

using Commands = std::vector<std::string>;

// A card that takes commands and never answers (it hangs up at the first one).
const std::vector<CardReply> NoReplies;

class PollerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CloseModemPort();
        WarmUpCount = 0;
        dialog = OpenSignalDialog();
        ASSERT_NE(dialog, (HWND)NULL);
    }
    void TearDown() override {
        DestroyWindow(dialog);
        CloseModemPort();
        WarmUpCount = 0;
    }
    void ExpectShown(int picture, int badge) {
        EXPECT_EQ(VisiblePictures(), std::vector<int>{picture});
        std::vector<int> badges;
        if (badge >= 0) {
            badges.push_back(badge);
        }
        EXPECT_EQ(VisibleBadges(), badges);
    }
    HWND dialog = NULL;
};

struct AnswerCase {
    const char *what;
    std::string reply;
    int value;
};

std::string Padded(std::string text, size_t length, char pad) {
    text.resize(length, pad);
    return text;
}

const AnswerCase ModeCases[] = {
    {"public", Mode + "\r\n0\r\n\r\nOK\r\n", 0},
    {"private", Mode + "\r\n2\r\n\r\nOK\r\n", 2},
    {"both, capital", Mode + "\r\nA\r\n\r\nOK\r\n", 10},
    {"both, small", Mode + "\r\na\r\n\r\nOK\r\n", 10},
    {"transceiver", Mode + "\r\n3\r\n", 3},
    {"digit 9", Mode + "\r\n9\r\n", 9},
    {"only the first character counts", Mode + "\r\n2xyz\r\n", 2},
    {"only CR before the answer", Mode + "\r2\r", 2},
    {"letter B", Mode + "\r\nB\r\n", -1},
    {"letter b", Mode + "\r\nb\r\n", -1},
    {"empty line", Mode + "\r\n\r\nOK\r\n", -1},
    {"echo alone", Mode, -1},
    {"line breaks alone", Mode + "\r\n\r\n", -1},
    {"no echo", "\r\n2\r\n\r\nOK\r\n", -1},
    {"reply ends inside the echo", "AT@M", -1},
    {"echo in lower case", "at@m?\r\r\n2\r\n", -1},
    {"echo without its CR", "AT@M?\n2\r\n", -1},
    {"leftover bytes before the echo", "OK\r\n" + Mode + "\r\n2\r\n", -1},
    {"zero byte before the answer", Mode + "\r\n" + std::string(1, '\0') + "2\r\n", -1},
    {"zero byte after the answer", Mode + "\r\n2" + std::string(1, '\0') + "x\r\n", 2},
    {"reply of exactly 32 bytes", Padded(Mode + "\r\n2\r\n", 32, '\n'), 2},
    {"32 bytes with the answer line running to the end", Padded(Mode + "\r\nA", 32, 'Z'), 10},
    {"answer in the 32nd byte", Padded(Mode, 31, '\n') + "2", 2},
    {"only the first 32 bytes are read", Padded(Mode, 32, '\n') + "2\r\n", -1},
};

TEST_F(PollerTest, ModeQuery) {
    for (const AnswerCase &c : ModeCases) {
        FakeCard card({Answer(c.reply)});
        EXPECT_EQ(QueryMode(), c.value) << c.what;
        EXPECT_EQ(card.Commands(), Commands{Mode}) << c.what;
        EXPECT_NE(ModemPort, (HANDLE)NULL) << c.what << ": the port stays open";
    }
}

const AnswerCase LevelCases[] = {
    {"out of area", "\r\n0\r\n\r\nOK\r\n", 0},
    {"level 1", "\r\n1\r\n\r\nOK\r\n", 1},
    {"level 6", "\r\n6\r\n", 6},
    {"level 9", "\r\n9\r\n", 9},
    {"only the first character counts", "\r\n1 more\r\n", 1},
    {"letter a is no level", "\r\na\r\n", -1},
    {"letter A is no level", "\r\nA\r\n", -1},
    {"empty line", "\r\n\r\nOK\r\n", -1},
    {"OK as the line", "\r\nOK\r\n", -1},
};

TEST_F(PollerTest, LevelQueryOfEachService) {
    const struct {
        int service;
        std::string command;
    } services[] = {{0, Public}, {2, Private}};
    for (const auto &s : services) {
        for (const AnswerCase &c : LevelCases) {
            FakeCard card({Answer(s.command + c.reply)});
            EXPECT_EQ(QueryLevel(s.service), c.value) << s.service << ": " << c.what;
            EXPECT_EQ(card.Commands(), Commands{s.command}) << s.service << ": " << c.what;
        }
        FakeCard card({Answer(Mode + "\r\n5\r\n")});
        EXPECT_EQ(QueryLevel(s.service), -1) << s.service << ": echo of another command";
    }
}

TEST_F(PollerTest, FailedWriteClosesThePort) {
    {
        FakeCard card(FakeCard::Unplugged{});
        EXPECT_EQ(QueryMode(), -1);
        EXPECT_EQ(ModemPort, (HANDLE)NULL);
    }
    {
        FakeCard card(FakeCard::Unplugged{});
        EXPECT_EQ(QueryLevel(2), -1);
        EXPECT_EQ(ModemPort, (HANDLE)NULL);
    }
}

TEST_F(PollerTest, FailedReadKeepsThePortOpen) {
    FakeCard card({HangUp()});
    EXPECT_EQ(QueryMode(), -1);
    EXPECT_NE(ModemPort, (HANDLE)NULL);
    EXPECT_EQ(card.Commands(), Commands{Mode});
}

struct QueryCase {
    const char *what;
    std::vector<CardReply> replies;
    Commands sent;
    int picture;
    int badge;
    bool portOpen;
};

const QueryCase QueryCases[] = {
    {"public level 5", {Echoed(Mode, "0"), Echoed(Public, "5")}, {Mode, Public}, 5, 0, true},
    {"public out of area", {Echoed(Mode, "0"), Echoed(Public, "0")}, {Mode, Public}, 0, -1, true},
    {"public level 9", {Echoed(Mode, "0"), Echoed(Public, "9")}, {Mode, Public}, 9, 0, true},
    {"private level 2", {Echoed(Mode, "2"), Echoed(Private, "2")}, {Mode, Private}, 2, 1, true},
    {"private out of area",
     {Echoed(Mode, "2"), Echoed(Private, "0")},
     {Mode, Private},
     0,
     -1,
     true},
    {"both, public level 3", {Echoed(Mode, "A"), Echoed(Public, "3")}, {Mode, Public}, 3, 0, true},
    {"both, private level 4",
     {Echoed(Mode, "a"), Echoed(Public, "0"), Echoed(Private, "4")},
     {Mode, Public, Private},
     4,
     1,
     true},
    {"both out of area",
     {Echoed(Mode, "A"), Echoed(Public, "0"), Echoed(Private, "0")},
     {Mode, Public, Private},
     0,
     -1,
     true},
    {"transceiver 3", {Echoed(Mode, "3")}, {Mode}, 7, -1, true},
    {"transceiver 4", {Echoed(Mode, "4")}, {Mode}, 7, -1, true},
    {"mode 1", {Echoed(Mode, "1")}, {Mode}, 9, -1, true},
    {"mode 6", {Echoed(Mode, "6")}, {Mode}, 9, -1, true},
    {"no echo", {Answer("\r\n0\r\n")}, {Mode}, 9, -1, true},
    {"unusable level", {Echoed(Mode, "0"), Echoed(Public, "x")}, {Mode, Public}, 9, -1, true},
    {"no reply to the level", {Echoed(Mode, "2"), HangUp()}, {Mode, Private}, 9, -1, true},
    {"write of the first level command fails",
     {AnswerAndHangUp(Mode + "\r\nA\r\n")},
     {Mode},
     9,
     -1,
     false},
};

TEST_F(PollerTest, QuerySignalStateShowsTheDecision) {
    for (const QueryCase &c : QueryCases) {
        ShowSignalState(6, 1);
        {
            FakeCard card(c.replies);
            QuerySignalState();
            SCOPED_TRACE(c.what);
            EXPECT_EQ(card.Commands(), c.sent);
            ExpectShown(c.picture, c.badge);
            EXPECT_EQ(ModemPort != NULL, c.portOpen);
        }
    }
}

TEST_F(PollerTest, FailedModeWriteShowsUnavailable) {
    ShowSignalState(3, 0);
    FakeCard card(FakeCard::Unplugged{});
    QuerySignalState();
    ExpectShown(9, -1);
    EXPECT_EQ(ModemPort, (HANDLE)NULL);
}

// With the port open, four ticks show the acquiring picture and send nothing; the fifth asks.
TEST_F(PollerTest, WarmUpThenQuery) {
    FakeCard card({Echoed(Mode, "0"), Echoed(Public, "4")});
    WarmUpCount = 4;
    for (int tick = 1; tick <= 4; ++tick) {
        ShowSignalState(1, 0);
        PollSignal();
        ExpectShown(8, -1);
        EXPECT_EQ(WarmUpCount, 4 - tick);
        EXPECT_EQ(card.Commands(), Commands{}) << "tick " << tick;
    }
    PollSignal();
    EXPECT_EQ(card.Commands(), (Commands{Mode, Public}));
    ExpectShown(4, 0);
    EXPECT_EQ(WarmUpCount, 0);
}

TEST_F(PollerTest, NegativeWarmUpCountQueries) {
    FakeCard card({Echoed(Mode, "3")});
    WarmUpCount = -2;
    PollSignal();
    EXPECT_EQ(card.Commands(), Commands{Mode});
    ExpectShown(7, -1);
}

TEST_F(PollerTest, EveryTimerButTheStartTimerRunsOneTick) {
    FakeCard card(NoReplies);
    const UINT_PTR ids[] = {IDT_POLL, 1, 40004, 40007, 0};
    WarmUpCount = 10;
    int expected = 10;
    for (UINT_PTR id : ids) {
        SendMessageW(dialog, WM_TIMER, id, 0);
        EXPECT_EQ(WarmUpCount, --expected) << "timer " << id;
        EXPECT_EQ(KillTimer(dialog, IDT_POLL), FALSE) << "timer " << id << " starts no poll";
    }
    EXPECT_EQ(card.Commands(), Commands{});
}

TEST_F(PollerTest, StartTimerIsSetByInitDialog) {
    EXPECT_TRUE(KillTimer(dialog, IDT_START));
    EXPECT_FALSE(KillTimer(dialog, IDT_POLL));
}

TEST_F(PollerTest, StartTimerRunsTheFirstTickAndStartsPolling) {
    FakeCard card(NoReplies);
    WarmUpCount = 4;
    SendMessageW(dialog, WM_TIMER, IDT_START, 0);
    EXPECT_EQ(WarmUpCount, 3);
    ExpectShown(8, -1);
    EXPECT_FALSE(KillTimer(dialog, IDT_START)) << "the start timer is stopped";
    EXPECT_TRUE(KillTimer(dialog, IDT_POLL)) << "the poll timer runs";
}

// The real timers: the start timer's tick comes at once, then one tick every period.
TEST_F(PollerTest, TimersDriveTheTicks) {
    FakeCard card(NoReplies);
    WarmUpCount = 4;
    DWORD deadline = GetTickCount() + 10000;
    while (WarmUpCount > 1 && GetTickCount() < deadline) {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    EXPECT_EQ(WarmUpCount, 1);
    EXPECT_EQ(card.Commands(), Commands{});
    ExpectShown(8, -1);
}

TEST_F(PollerTest, OkAndCancelEndTheDialogAndClosePort) {
    const WPARAM ends[] = {IDOK, IDCANCEL, MAKEWPARAM(IDOK, BN_CLICKED)};
    for (WPARAM command : ends) {
        FakeCard card(NoReplies);
        EXPECT_EQ(SignalDlgProc(dialog, WM_COMMAND, command, 0), TRUE) << command;
        EXPECT_EQ(ModemPort, (HANDLE)NULL) << command;
    }
    const WPARAM others[] = {3, 40002, 40003, 1009};
    for (WPARAM command : others) {
        FakeCard card(NoReplies);
        EXPECT_EQ(SignalDlgProc(dialog, WM_COMMAND, command, 0), FALSE) << command;
        EXPECT_NE(ModemPort, (HANDLE)NULL) << command;
    }
}

TEST(SignalDialog, TopmostAndCentredOverTheOwnerClientArea) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 50, 60, 240, 294, NULL, NULL,
                                 GetModuleHandleW(NULL), NULL);
    ASSERT_NE(owner, (HWND)NULL);
    HWND dialog = OpenSignalDialog(owner);
    ASSERT_NE(dialog, (HWND)NULL);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, (240 - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (294 - (r.bottom - r.top)) / 2);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

} // namespace
