// The query pass against the simulated card on COM3: each row's command, the conversion of its
// answer line and its fallback text, every row read once.
#include "card_fixture.h"
#include "identity_viewer.h"
#include "info_dialog.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t Unavailable[] = L"取得できませんでした";
const wchar_t NoGroupCaption[] = L"\x3000--------";

struct Row {
    int control;
    const char *answerSetting; // the card's answer to the row's command
    const wchar_t *shown;      // what the row shows when the answer arrives
    const wchar_t *fallback;   // and when it fails
};

// Every row answers differently, so a row that sends another row's command shows its text.
const Row Rows[] = {
    {IDC_PSID, "psid P-00F3", L"P-00F3", Unavailable},
    {IDC_PHONE_NUMBER, "phone 070-5555", L"070-5555", Unavailable},
    // Shift-JIS of カード名.
    {IDC_CARD_GROUP, "i3 hex:834A815B836896BC", L"\x3000カード名", NoGroupCaption},
    {IDC_CARD_LINE1, "i4 LINE-1", L"LINE-1", Unavailable},
    {IDC_CARD_LINE2, "i5 LINE-2", L"LINE-2", Unavailable},
};

// Two passes between them fail every row once and answer every row once; each fault makes the
// reply of one command unusable in its own way.
const struct {
    const char *what;
    std::vector<const char *> faults;
    bool failing[5];
} Passes[] = {
    {"rows 1, 3 and 5 fail",
     {"noecho only AT@Y", "garbage only ATI3", "badecho only ATI5"},
     {true, false, true, false, true}},
    {"rows 2 and 4 fail",
     {"silent only ATI6", "lowerecho only ATI4"},
     {false, true, false, true, false}},
};

using IdentityPassOnTheCard = CardOnCom3Test;

TEST_F(IdentityPassOnTheCard, EveryRowShowsItsAnswerOrItsFallback) {
    for (const auto &pass : Passes) {
        SCOPED_TRACE(pass.what);
        ASSERT_TRUE(CardDoes("reset")) << "card not answering";
        for (const Row &row : Rows) {
            ASSERT_TRUE(CardDoes(std::string("set ") + row.answerSetting)) << row.answerSetting;
        }
        for (const char *fault : pass.faults) {
            ASSERT_TRUE(CardDoes(std::string("fault ") + fault)) << fault;
        }
        int before = CardCommandCount();
        // The dialog starts with its acquiring texts; the pass runs here, not from its timer.
        HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(NULL), InfoTemplate(), NULL,
                                                 InfoDlgProc, 0);
        ASSERT_NE(dialog, (HWND)NULL);
        QueryCardIdentity(dialog);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(Text(dialog, Rows[i].control),
                      pass.failing[i] ? Rows[i].fallback : Rows[i].shown)
                << "row " << i + 1;
        }
        EXPECT_EQ(CardCommandCount(), before + 5) << "one command a row";
        EXPECT_EQ(ModemPort, (HANDLE)NULL) << "the port is closed after the pass";
        DestroyWindow(dialog);
    }
}

} // namespace
