// The serial link and the AT exchange against the simulated card on COM3.
#include "card_fixture.h"
#include "modem_link.h"
#include "reply_line.h"

#include <gtest/gtest.h>

#include <string.h>

// The slot through which this program calls SetCommState.
extern "C" BOOL(WINAPI *__imp_SetCommState)(HANDLE, LPDCB);

namespace {

using ModemLinkTest = CardOnCom3Test;

TEST_F(ModemLinkTest, FailedOpenLeavesThePortNull) {
    const wchar_t *names[] = {L"COM7:", L"", L"NUL1:"};
    for (const wchar_t *name : names) {
        SET_ENTRY(L"05", L"Name", name);
        OpenModemPort();
        EXPECT_EQ(ModemPort, (HANDLE)NULL) << "name " << testing::PrintToString(name);
    }
    ClearActiveDrivers();
    OpenModemPort();
    EXPECT_EQ(ModemPort, (HANDLE)NULL) << "no modem entry";
}

TEST_F(ModemLinkTest, ClosingAClosedPortDoesNothing) {
    CloseModemPort();
    EXPECT_EQ(ModemPort, (HANDLE)NULL);
    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    CloseModemPort();
    EXPECT_EQ(ModemPort, (HANDLE)NULL);
    CloseModemPort();
    EXPECT_EQ(ModemPort, (HANDLE)NULL);
}

// This program's calls of SetCommState, taken at the call while a recorder lives: on a
// pseudo-terminal GetCommState reports DTR and RTS on and DSR flow and sensitivity off whatever
// was set, and the line forces 8 data bits without parity, so the settings are read where the
// link hands them over.
BOOL(WINAPI *RealSetCommState)(HANDLE, LPDCB);
HANDLE RecordedPort;
DCB RecordedSettings;
int RecordedCalls;

BOOL WINAPI RecordSetCommState(HANDLE port, LPDCB settings) {
    RecordedPort = port;
    RecordedSettings = *settings;
    ++RecordedCalls;
    return RealSetCommState(port, settings);
}

void PointSetCommStateAt(BOOL(WINAPI *target)(HANDLE, LPDCB)) {
    DWORD protection;
    ASSERT_TRUE(VirtualProtect(&__imp_SetCommState, sizeof __imp_SetCommState, PAGE_READWRITE,
                               &protection));
    __imp_SetCommState = target;
    VirtualProtect(&__imp_SetCommState, sizeof __imp_SetCommState, protection, &protection);
}

struct SetCommStateRecorder {
    SetCommStateRecorder() {
        RealSetCommState = __imp_SetCommState;
        RecordedCalls = 0;
        PointSetCommStateAt(RecordSetCommState);
    }
    ~SetCommStateRecorder() {
        PointSetCommStateAt(RealSetCommState);
    }
};

TEST_F(ModemLinkTest, OpenAppliesLineSettingsAndTimeouts) {
    {
        SetCommStateRecorder recorder;
        OpenModemPort();
    }
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    ASSERT_EQ(RecordedCalls, 1);
    EXPECT_EQ(RecordedPort, ModemPort);

    // 115200 baud, 8N1, DTR and RTS on; a card may ignore commands while DTR is low.
    const DCB &s = RecordedSettings;
    const struct {
        const char *field;
        DWORD value, expected;
    } fields[] = {
        {"BaudRate", s.BaudRate, CBR_115200},
        {"ByteSize", s.ByteSize, 8},
        {"Parity", s.Parity, NOPARITY},
        {"StopBits", s.StopBits, ONESTOPBIT},
        {"fDtrControl", s.fDtrControl, DTR_CONTROL_ENABLE},
        {"fRtsControl", s.fRtsControl, RTS_CONTROL_ENABLE},
        {"fOutxCtsFlow", s.fOutxCtsFlow, FALSE},
        {"fOutxDsrFlow", s.fOutxDsrFlow, FALSE},
        {"fDsrSensitivity", s.fDsrSensitivity, FALSE},
        {"fOutX", s.fOutX, FALSE},
        {"fInX", s.fInX, FALSE},
    };
    for (const auto &f : fields) {
        EXPECT_EQ(f.value, f.expected) << f.field;
    }

    // The server keeps the time-outs and reads them back as set.
    COMMTIMEOUTS timeouts;
    ASSERT_TRUE(GetCommTimeouts(ModemPort, &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 500u);

    // What the card's side of the line carries of them (a pseudo-terminal has no data bits or
    // parity of its own).
    std::string line = CardControl("line");
    EXPECT_NE(line.find("speed=115200"), std::string::npos) << line;
    EXPECT_NE(line.find("stop=1"), std::string::npos) << line;
    EXPECT_NE(line.find("rtscts=0"), std::string::npos) << line;
    EXPECT_NE(line.find("xonxoff=0"), std::string::npos) << line;
}

struct CommandCase {
    const char *command;
    const char *line;
};

// Both tools' framing: 32 bytes asked into a 33-byte reply, and 64 into 64.
struct Framing {
    DWORD replyBytes;
    DWORD asked;
};

TEST_F(ModemLinkTest, EveryCommandGetsItsAnswerLine) {
    const char *setup[] = {"set mode 2",       "set level0 5",          "set level2 3",
                           "set psid 0123ABC", "set phone 07011112222", "set i3 CARD-X",
                           "set i4 LINE-ONE",  "set i5 LINE-TWO"};
    for (const char *words : setup) {
        ASSERT_TRUE(CardDoes(words)) << words;
    }
    const CommandCase cases[] = {
        {"AT@M?\r", "2"},       {"AT#Q5:0\r", "5"},        {"AT#Q5:2\r", "3"},
        {"AT@Y\r", "0123ABC"},  {"ATI6\r", "07011112222"}, {"ATI3\r", "CARD-X"},
        {"ATI4\r", "LINE-ONE"}, {"ATI5\r", "LINE-TWO"},
    };
    const Framing framings[] = {{33, 32}, {64, 64}};

    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    for (const Framing &framing : framings) {
        for (const CommandCase &c : cases) {
            char reply[64];
            char line[64];
            ASSERT_EQ(ExchangeAtCommand(c.command, reply, framing.replyBytes, framing.asked),
                      ExchangeDone)
                << c.command;
            ASSERT_EQ(ExtractReplyLine(c.command, reply, line), 1) << c.command << reply;
            EXPECT_STREQ(line, c.line) << c.command;
        }
    }
}

TEST_F(ModemLinkTest, SilenceFailsAfterTheReadTimeout) {
    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    ASSERT_TRUE(CardDoes("fault silent for 1"));
    char reply[33];
    char line[33];
    DWORD start = GetTickCount();
    ASSERT_EQ(ExchangeAtCommand("AT@M?\r", reply, 33, 32), ExchangeDone);
    DWORD waited = GetTickCount() - start;
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(ExtractReplyLine("AT@M?\r", reply, line), 0);
    // The read only gives up once its total time-out (32 x 10 ms + 500 ms) has run out.
    EXPECT_GE(waited, 700u);
}

TEST_F(ModemLinkTest, LeftoverBytesBeforeTheEchoFail) {
    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    ASSERT_TRUE(CardDoes("fault leftover for 1"));
    char reply[33];
    char line[33];
    ASSERT_EQ(ExchangeAtCommand("AT@M?\r", reply, 33, 32), ExchangeDone);
    EXPECT_EQ(ExtractReplyLine("AT@M?\r", reply, line), 0) << reply;
}

TEST_F(ModemLinkTest, ReplyFillingTheWholeReadStaysTerminated) {
    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    ASSERT_TRUE(CardDoes("fault long 80 for 1"));
    char reply[34];
    memset(reply, 'Z', sizeof reply);
    ASSERT_EQ(ExchangeAtCommand("AT@M?\r", reply, 33, 32), ExchangeDone);
    EXPECT_EQ(strlen(reply), 32u);
    EXPECT_EQ(reply[33], 'Z') << "nothing written past the reply buffer";
    char line[33];
    ASSERT_EQ(ExtractReplyLine("AT@M?\r", reply, line), 1);
    EXPECT_EQ(strlen(line), 32u - 6u - 2u) << "the line runs to the end of the 32 bytes";
}

TEST_F(ModemLinkTest, WriteFailsWhenTheCardIsPulled) {
    OpenModemPort();
    ASSERT_NE(ModemPort, (HANDLE)NULL);
    ASSERT_TRUE(CardDoes("remove"));
    char reply[33];
    EXPECT_EQ(ExchangeAtCommand("AT@M?\r", reply, 33, 32), ExchangeWriteFailed);
    CloseModemPort();
    // With the card out, its port does not open.
    SET_ENTRY(L"05", L"Key", L"Drivers\\PCMCIA\\Modem");
    SET_ENTRY(L"05", L"Name", L"COM3:");
    OpenModemPort();
    EXPECT_EQ(ModemPort, (HANDLE)NULL);
}

} // namespace
