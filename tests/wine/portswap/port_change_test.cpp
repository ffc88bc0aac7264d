// The port change dialog under Wine: the COM numbers it offers, and what OK stores, shows and
// sends to the system-control driver.
#include "driver_registry.h"
#include "port_change.h"
#include "port_list.h"
#include "resource.h"

#include <array>
#include <string>
#include <vector>

// The slot through which this program calls DeviceIoControl.
extern "C" BOOL(WINAPI *__imp_DeviceIoControl)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD,
                                               LPOVERLAPPED);

namespace {

using Taken = std::array<int, ComPortCount>;

HWND CreateChangeDialog(const Taken &taken, int irda) {
    for (int i = 0; i < ComPortCount; ++i) {
        ComPortInUse[i] = taken[i];
    }
    IrdaComIndex = irda;
    AppInstance = GetModuleHandleW(NULL);
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(IDD_PORT_CHANGE), RT_DIALOG);
    HGLOBAL loaded = LoadResource(AppInstance, found);
    return CreateDialogIndirectParamW(AppInstance, static_cast<LPCDLGTEMPLATEW>(loaded), NULL,
                                      PortChangeDlgProc, 0);
}

struct Choices {
    std::vector<std::wstring> entries;
    std::wstring selected; // empty: nothing selected
};

Choices ChoicesOf(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_IRDA_PORT);
    Choices choices;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[16] = {0};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        choices.entries.push_back(text);
    }
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) {
        choices.selected = choices.entries.at(selected);
    }
    return choices;
}

struct OfferCase {
    const char *what;
    Taken taken;
    int irda;
    std::vector<std::wstring> entries;
    std::wstring selected;
};

const OfferCase OfferCases[] = {
    {"no port taken",
     {0, 0, 0, 0, 0, 0, 0, 0, 0},
     -1,
     {L"1:", L"2:", L"3:", L"4:", L"5:", L"6:", L"7:", L"8:", L"9:"},
     L""},
    {"the seeded terminal",
     {1, 1, 1, 0, 0, 0, 0, 0, 0},
     1,
     {L"2:", L"4:", L"5:", L"6:", L"7:", L"8:", L"9:"},
     L"2:"},
    {"no number free, IrDA on COM3", {1, 1, 1, 1, 1, 1, 1, 1, 1}, 2, {L"3:"}, L"3:"},
    {"no number free, no IrDA", {1, 1, 1, 1, 1, 1, 1, 1, 1}, -1, {}, L""},
    {"IrDA on COM9 sorts last",
     {0, 1, 0, 0, 1, 0, 0, 0, 1},
     8,
     {L"1:", L"3:", L"4:", L"6:", L"7:", L"8:", L"9:"},
     L"9:"},
    {"IrDA on COM1 sorts first",
     {1, 0, 1, 0, 1, 0, 1, 0, 1},
     0,
     {L"1:", L"2:", L"4:", L"6:", L"8:"},
     L"1:"},
};

TEST(PortChangeDialog, OffersFreeNumbersAscendingAndSelectsTheIrdaPort) {
    for (const OfferCase &c : OfferCases) {
        HWND dialog = CreateChangeDialog(c.taken, c.irda);
        ASSERT_NE(dialog, (HWND)NULL) << c.what;
        Choices choices = ChoicesOf(dialog);
        EXPECT_EQ(choices.entries, c.entries) << c.what;
        EXPECT_EQ(choices.selected, c.selected) << c.what;
        DestroyWindow(dialog);
    }
}

TEST(PortChangeDialog, SetsCaptionAndNoDrag) {
    HWND dialog = CreateChangeDialog({0, 0, 0, 0, 0, 0, 0, 0, 0}, -1);
    ASSERT_NE(dialog, (HWND)NULL);
    wchar_t caption[64] = {0};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, ToolTitle);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_NODRAG, WS_EX_NODRAG);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
    DestroyWindow(dialog);
}

// Notices shown while OK runs: a thread timer finds each one, notes it and closes it as the
// user would.
struct Notice {
    std::wstring caption;
    std::wstring text;
    HWND owner;
    HWND window;
};
std::vector<Notice> Notices;
LARGE_INTEGER LastNoticeClosed;

BOOL CALLBACK LongestStaticText(HWND child, LPARAM found) {
    wchar_t className[16] = {0};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") == 0) {
        wchar_t text[2048] = {0};
        GetWindowTextW(child, text, 2048);
        std::wstring &longest = *reinterpret_cast<std::wstring *>(found);
        if (wcslen(text) > longest.size()) {
            longest = text;
        }
    }
    return TRUE;
}

BOOL CALLBACK CloseNotice(HWND window, LPARAM) {
    wchar_t className[16] = {0};
    GetClassNameW(window, className, 16);
    HWND owner = GetWindow(window, GW_OWNER);
    if (wcscmp(className, L"#32770") != 0 || owner == NULL || !IsWindowVisible(window)) {
        return TRUE;
    }
    Notice notice;
    wchar_t caption[64] = {0};
    GetWindowTextW(window, caption, 64);
    notice.caption = caption;
    notice.owner = owner;
    notice.window = window;
    EnumChildWindows(window, LongestStaticText, reinterpret_cast<LPARAM>(&notice.text));
    Notices.push_back(notice);
    QueryPerformanceCounter(&LastNoticeClosed);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK WatchForNotice(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseNotice, 0);
}

std::wstring ResetNoticeText() {
    wchar_t text[1024] = {0};
    LoadStringW(GetModuleHandleW(NULL), IDS_RESET_NOTICE, text, 1024);
    return text;
}

// Device-control requests as the system-control driver gets them, taken at the call through
// this program's import slot while a recorder lives: under Wine the driver is a plain file,
// which refuses any request, so nothing else shows what was sent.
std::vector<std::wstring> Requests;
decltype(__imp_DeviceIoControl) RealDeviceIoControl;

BOOL WINAPI RecordDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inBytes, LPVOID out,
                                  DWORD outBytes, LPDWORD returned, LPOVERLAPPED overlapped) {
    wchar_t path[MAX_PATH] = L"", request[MAX_PATH + 64];
    GetFinalPathNameByHandleW(device, path, MAX_PATH, 0);
    bool noticeClosed = !Notices.empty() && !IsWindow(Notices.back().window);
    swprintf(request, MAX_PATH + 64, L"%ls code %lu, in %d/%lu, out %d/%lu%ls",
             wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path, code, in != NULL, inBytes,
             out != NULL, outBytes, noticeClosed ? L", the notice closed" : L"");
    Requests.push_back(request);
    return RealDeviceIoControl(device, code, in, inBytes, out, outBytes, returned, overlapped);
}

void PointDeviceIoControlAt(decltype(__imp_DeviceIoControl) target) {
    DWORD protection;
    ASSERT_TRUE(VirtualProtect(&__imp_DeviceIoControl, sizeof target, PAGE_READWRITE, &protection));
    __imp_DeviceIoControl = target;
    VirtualProtect(&__imp_DeviceIoControl, sizeof target, protection, &protection);
}

struct DeviceRequestRecorder {
    DeviceRequestRecorder() {
        RealDeviceIoControl = __imp_DeviceIoControl;
        Requests.clear();
        PointDeviceIoControlAt(RecordDeviceIoControl);
    }
    ~DeviceRequestRecorder() {
        PointDeviceIoControlAt(RealDeviceIoControl);
    }
};

// The reset request as the recorder notes it.
const std::wstring ResetRequest = L"SYX1: code 257, in 0/0, out 0/0, the notice closed";

// Runs OK in a fresh working directory, where no system-control driver stands in unless a case
// puts one there.
class PortChangeOk : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previousDirectory = previous;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        workDirectory =
            std::wstring(temp) + L"portswap-ok-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(workDirectory.c_str(), NULL);
        ASSERT_TRUE(SetCurrentDirectoryW(workDirectory.c_str()));
        ASSERT_EQ(GetFileAttributesW(L"SYX1:"), INVALID_FILE_ATTRIBUTES);
        Notices.clear();
    }
    void TearDown() override {
        SetCurrentDirectoryW(previousDirectory.c_str());
        RemoveDirectoryW(workDirectory.c_str());
        SetIrdaIndex(__LINE__, 2);
    }

    // Presses OK; returns the seconds from closing the notice until OK returned.
    double PressOk(HWND dialog) {
        UINT_PTR timer = SetTimer(NULL, 0, 20, WatchForNotice);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        LARGE_INTEGER returned, frequency;
        QueryPerformanceCounter(&returned);
        QueryPerformanceFrequency(&frequency);
        KillTimer(NULL, timer);
        return double(returned.QuadPart - LastNoticeClosed.QuadPart) / double(frequency.QuadPart);
    }

    std::wstring previousDirectory;
    std::wstring workDirectory;
};

struct OkCase {
    const char *what;
    Taken taken;
    int irda;
    const wchar_t *choose; // NULL: leave the combobox as it opened
    bool irdaKey;          // false: Drivers\Builtin\IrDA is missing
    bool notice;
    bool stored; // Index holds `index` afterwards (else it keeps 7, or stays missing)
    DWORD index;
    bool driver; // the system-control driver stands in: a reset is requested after the notice
};

const Taken Seeded = {1, 1, 1, 0, 0, 0, 0, 0, 0};
const Taken AllTaken = {1, 1, 1, 1, 1, 1, 1, 1, 1};
const Taken NoneTaken = {0, 0, 0, 0, 0, 0, 0, 0, 0};

const OkCase OkCases[] = {
    {"a free number chosen", Seeded, 1, L"5:", true, true, true, 5, true},
    {"the current port kept", Seeded, 1, NULL, true, true, true, 2, true},
    {"the last free number", Seeded, 1, L"9:", true, true, true, 9, false},
    {"no number free, IrDA on COM3", AllTaken, 2, NULL, true, true, true, 3, false},
    {"no IrDA port, a number chosen", NoneTaken, -1, L"1:", true, true, true, 1, false},
    {"no IrDA port and nothing chosen: refused", NoneTaken, -1, NULL, true, false, false, 0, true},
    {"nothing to choose at all: refused", AllTaken, -1, NULL, true, false, false, 0, false},
    {"IrDA key missing: nothing written, notice all the same", Seeded, 1, L"4:", false, true, false,
     0, true},
};

TEST_F(PortChangeOk, StoresTheChosenNumberAndShowsTheNotice) {
    for (const OkCase &c : OkCases) {
        Notices.clear();
        if (c.irdaKey) {
            SetIrdaIndex(__LINE__, 7);
        } else {
            DeleteIrdaKey();
        }
        HWND dialog = CreateChangeDialog(c.taken, c.irda);
        ASSERT_NE(dialog, (HWND)NULL) << c.what;
        if (c.choose != NULL) {
            SendDlgItemMessageW(dialog, IDC_IRDA_PORT, CB_SELECTSTRING, -1,
                                reinterpret_cast<LPARAM>(c.choose));
        }
        Choices before = ChoicesOf(dialog);
        // Under Wine the driver's name opens a file of that name in the working directory.
        if (c.driver) {
            CloseHandle(CreateFileW(L"SYX1:", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        }
        {
            DeviceRequestRecorder recorder;
            PressOk(dialog);
        }
        DeleteFileW(L"SYX1:");

        ASSERT_EQ(Notices.size(), c.notice ? 1u : 0u) << c.what;
        if (c.notice) {
            EXPECT_EQ(Notices[0].caption, ToolTitle) << c.what;
            EXPECT_EQ(Notices[0].text, ResetNoticeText()) << c.what;
            EXPECT_EQ(Notices[0].owner, dialog) << c.what;
        }
        DWORD index = 0, type = 0, bytes = 0;
        bool present = ReadIrdaIndex(index, type, bytes);
        if (!c.irdaKey) {
            EXPECT_FALSE(present) << c.what << ": the IrDA key was created";
        } else {
            ASSERT_TRUE(present) << c.what;
            EXPECT_EQ(type, (DWORD)REG_DWORD) << c.what;
            EXPECT_EQ(bytes, 4u) << c.what;
            EXPECT_EQ(index, c.stored ? c.index : 7u) << c.what;
        }
        // One reset request with no buffers to the system-control driver, once the user has
        // closed the notice; none where the driver is absent or nothing was chosen.
        EXPECT_EQ(Requests, std::vector<std::wstring>(c.driver && c.notice, ResetRequest))
            << c.what;
        // Where the terminal does not reset, the dialog stays as it was.
        EXPECT_TRUE(IsWindow(dialog)) << c.what;
        Choices after = ChoicesOf(dialog);
        EXPECT_EQ(after.entries, before.entries) << c.what;
        EXPECT_EQ(after.selected, before.selected) << c.what;
        DestroyWindow(dialog);
    }
}

TEST_F(PortChangeOk, PausesAfterTheNoticeAndMayBePressedAgain) {
    SetIrdaIndex(__LINE__, 7);
    HWND dialog = CreateChangeDialog(Seeded, 1);
    ASSERT_NE(dialog, (HWND)NULL);
    SendDlgItemMessageW(dialog, IDC_IRDA_PORT, CB_SELECTSTRING, -1,
                        reinterpret_cast<LPARAM>(L"6:"));
    double pause = PressOk(dialog);
    // The reset request follows half a second after the notice; only a lower bound is checked.
    EXPECT_GE(pause, 0.45);

    SendDlgItemMessageW(dialog, IDC_IRDA_PORT, CB_SELECTSTRING, -1,
                        reinterpret_cast<LPARAM>(L"8:"));
    PressOk(dialog);
    EXPECT_EQ(Notices.size(), 2u);
    DWORD index = 0, type = 0, bytes = 0;
    ASSERT_TRUE(ReadIrdaIndex(index, type, bytes));
    EXPECT_EQ(index, 8u);
    // The survey's results are read only.
    EXPECT_EQ(ComPortInUse[1], 1);
    EXPECT_EQ(ComPortInUse[5], 0);
    EXPECT_EQ(IrdaComIndex, 1);
    DestroyWindow(dialog);
}

} // namespace
