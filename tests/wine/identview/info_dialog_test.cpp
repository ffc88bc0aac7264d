// The identity dialog on real windows without a usable card: the acquiring texts at creation,
// the unavailable texts after the first tick, one pass per opening, and how the dialog ends.
#include "identity_viewer.h"
#include "info_dialog.h"
#include "modem_link.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t ActiveKey[] = L"Drivers\\Active";
const wchar_t SavedKey[] = L"Software\\IdentviewTests\\SavedActive";
const wchar_t DialogCaption[] = L"CFカード情報表示";
const wchar_t Acquiring[] = L"取得中です";
const wchar_t Unavailable[] = L"取得できませんでした";
const wchar_t NoGroupCaption[] = L"\x3000--------";
const int LineControls[] = {IDC_PSID, IDC_PHONE_NUMBER, IDC_CARD_LINE1, IDC_CARD_LINE2};

// Keeps the simulated terminal's Drivers\Active aside for the test and puts it back afterwards.
class SavedActiveDrivers {
  public:
    SavedActiveDrivers() {
        (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, SavedKey);
        HKEY active;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ActiveKey, 0, KEY_READ, &active) == ERROR_SUCCESS) {
            HKEY saved = CreateKey(SavedKey);
            saved_ = RegCopyTreeW(active, NULL, saved) == ERROR_SUCCESS;
            RegCloseKey(saved);
            RegCloseKey(active);
        }
        (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, ActiveKey);
    }
    ~SavedActiveDrivers() {
        (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, ActiveKey);
        if (saved_) {
            HKEY saved;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SavedKey, 0, KEY_READ, &saved) == ERROR_SUCCESS) {
                HKEY active = CreateKey(ActiveKey);
                (void)RegCopyTreeW(saved, NULL, active);
                RegCloseKey(active);
                RegCloseKey(saved);
            }
        }
        (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\IdentviewTests");
    }
    static HKEY CreateKey(const wchar_t *path) {
        HKEY key = NULL;
        (void)RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                              NULL);
        return key;
    }
    // A modem entry whose device name is given.
    static void AddModemEntry(const wchar_t *deviceName) {
        HKEY entry = CreateKey(L"Drivers\\Active\\05");
        ASSERT_NE(entry, (HKEY)NULL);
        const wchar_t modem[] = L"Drivers\\PCMCIA\\Modem";
        RegSetValueExW(entry, L"Key", 0, REG_SZ, reinterpret_cast<const BYTE *>(modem),
                       sizeof modem);
        RegSetValueExW(entry, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE *>(deviceName),
                       static_cast<DWORD>((wcslen(deviceName) + 1) * sizeof(wchar_t)));
        RegCloseKey(entry);
    }

  private:
    bool saved_ = false;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Handles messages until control id shows text, for at most five seconds.
bool PumpUntilText(HWND dialog, int id, const wchar_t *text) {
    DWORD end = GetTickCount() + 5000;
    do {
        PumpMessages();
        if (Text(dialog, id) == text) {
            return true;
        }
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    return false;
}

// Handles messages for a while, so that anything a message would start has run.
void PumpFor(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        PumpMessages();
        Sleep(5);
    }
}

class InfoDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 30, 40, 240, 400, NULL, NULL,
                                 GetModuleHandleW(NULL), NULL);
        ASSERT_NE(owner_, (HWND)NULL);
    }
    void TearDown() override {
        DestroyWindow(owner_);
    }
    HWND Open() {
        return CreateDialogIndirectParamW(GetModuleHandleW(NULL), InfoTemplate(), owner_,
                                          InfoDlgProc, 0);
    }
    HWND owner_ = NULL;
    SavedActiveDrivers drivers_;
};

TEST_F(InfoDialogTest, AcquiringTextsUntilTheFirstTick) {
    HWND dialog = Open();
    ASSERT_NE(dialog, (HWND)NULL);
    // No message has been handled since WM_INITDIALOG: the start timer has not fired.
    for (int id : LineControls) {
        EXPECT_EQ(Text(dialog, id), Acquiring) << "control " << id;
    }
    EXPECT_EQ(Text(dialog, IDC_CARD_GROUP), NoGroupCaption);

    // Centred on the owner's client area, counted from the screen origin.
    RECT r, client;
    GetWindowRect(dialog, &r);
    GetClientRect(owner_, &client);
    EXPECT_EQ(r.left, (client.right - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (client.bottom - (r.bottom - r.top)) / 2);
    DestroyWindow(dialog);
}

TEST_F(InfoDialogTest, UnavailableTextsWhenThePortDoesNotOpen) {
    struct {
        const char *what;
        const wchar_t *deviceName; // NULL: no modem entry at all
    } cases[] = {
        {"no card modem in the registry", NULL},
        {"a port that does not open", L"QQQ7:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, ActiveKey);
        if (c.deviceName != NULL) {
            SavedActiveDrivers::AddModemEntry(c.deviceName);
        }
        HWND dialog = Open();
        ASSERT_NE(dialog, (HWND)NULL);
        // Row 5 is the last one set.
        EXPECT_TRUE(PumpUntilText(dialog, IDC_CARD_LINE2, Unavailable));
        for (int id : LineControls) {
            EXPECT_EQ(Text(dialog, id), Unavailable) << "control " << id;
        }
        EXPECT_EQ(Text(dialog, IDC_CARD_GROUP), NoGroupCaption);
        EXPECT_EQ(ModemPort, (HANDLE)NULL) << "the port stays closed after the pass";
        DestroyWindow(dialog);
    }
}

TEST_F(InfoDialogTest, OnePassPerOpening) {
    HWND dialog = Open();
    ASSERT_NE(dialog, (HWND)NULL);
    ASSERT_TRUE(PumpUntilText(dialog, IDC_CARD_LINE2, Unavailable));

    // Mark the controls: a second pass would set its texts over the marks.
    for (int id : LineControls) {
        SetDlgItemTextW(dialog, id, L"mark");
    }
    SendMessageW(dialog, WM_TIMER, IDT_START, 0);
    SendMessageW(dialog, WM_TIMER, 1, 0);
    PumpFor(300);
    for (int id : LineControls) {
        EXPECT_EQ(Text(dialog, id), L"mark") << "control " << id;
    }
    DestroyWindow(dialog);

    // The next opening reads again.
    dialog = Open();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(Text(dialog, IDC_PSID), Acquiring);
    EXPECT_TRUE(PumpUntilText(dialog, IDC_PSID, Unavailable));
    DestroyWindow(dialog);
}

// Commands posted to the modal dialog by a thread timer, once the dialog exists.
const WORD *PendingCommands;

void CALLBACK PostCommands(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", DialogCaption);
    if (dialog == NULL) {
        return;
    }
    KillTimer(NULL, timer);
    for (const WORD *id = PendingCommands; *id != 0; ++id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(*id, 0), 0);
    }
}

TEST_F(InfoDialogTest, OkAndCancelEndTheDialogWithTheirId) {
    static const WORD okOnly[] = {IDOK, 0};
    static const WORD cancelOnly[] = {IDCANCEL, 0};
    static const WORD otherThenCancel[] = {IDC_PSID, 40003, IDCANCEL, 0};
    struct {
        const char *what;
        const WORD *commands;
        INT_PTR result;
    } cases[] = {
        {"OK", okOnly, IDOK},
        {"Cancel", cancelOnly, IDCANCEL},
        {"other commands leave it open", otherThenCancel, IDCANCEL},
    };
    for (const auto &c : cases) {
        PendingCommands = c.commands;
        UINT_PTR timer = SetTimer(NULL, 0, 50, PostCommands);
        INT_PTR result =
            DialogBoxIndirectParamW(GetModuleHandleW(NULL), InfoTemplate(), owner_, InfoDlgProc, 0);
        KillTimer(NULL, timer);
        EXPECT_EQ(result, c.result) << c.what;
    }
}

} // namespace
