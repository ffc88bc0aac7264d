// SurveyComPorts against the real registry of the simulated terminal, on list dialogs created
// from template 101.
#include "driver_registry.h"
#include "port_list.h"
#include "resource.h"

#include <array>
#include <string>
#include <vector>

namespace {

using Rows = std::array<std::wstring, ComPortCount>;
using Taken = std::array<int, ComPortCount>;

struct Survey {
    Rows rows;
    Taken taken;
    int irda;
};

INT_PTR CALLBACK PlainDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND CreateListDialog(DLGPROC procedure) {
    AppInstance = GetModuleHandleW(NULL);
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(IDD_PORT_LIST), RT_DIALOG);
    HGLOBAL loaded = LoadResource(AppInstance, found);
    return CreateDialogIndirectParamW(AppInstance, static_cast<LPCDLGTEMPLATEW>(loaded), NULL,
                                      procedure, 0);
}

std::wstring ControlText(HWND dialog, int id) {
    std::vector<wchar_t> text(4096, 0);
    GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    return text.data();
}

Rows RowsOf(HWND dialog) {
    Rows rows;
    for (int i = 0; i < ComPortCount; ++i) {
        rows[i] = ControlText(dialog, PortRowIds[i]);
    }
    return rows;
}

// Runs the survey on a fresh list dialog, starting from stale results of an earlier one.
Survey RunSurvey() {
    for (int &flag : ComPortInUse) {
        flag = 1;
    }
    IrdaComIndex = 4;
    HWND dialog = CreateListDialog(PlainDlgProc);
    EXPECT_NE(dialog, (HWND)NULL);
    SurveyComPorts(dialog);
    Survey survey;
    survey.rows = RowsOf(dialog);
    for (int i = 0; i < ComPortCount; ++i) {
        survey.taken[i] = ComPortInUse[i];
    }
    survey.irda = IrdaComIndex;
    DestroyWindow(dialog);
    return survey;
}

struct Entry {
    std::wstring subkey;
    const wchar_t *name; // NULL: no Name value
    const wchar_t *key;  // NULL: no Key value
};

struct SurveyCase {
    const char *what;
    bool activeKey; // false: HKLM\Drivers\Active is missing
    std::vector<Entry> entries;
    Rows rows;
    Taken taken;
    int irda;
};

const wchar_t Serial[] = L"Drivers\\Builtin\\Serial";
const wchar_t Irda[] = L"Drivers\\Builtin\\IrDA";
const wchar_t Modem[] = L"Drivers\\PCMCIA\\Modem";

const Taken NoneTaken = {0, 0, 0, 0, 0, 0, 0, 0, 0};
const Rows NoRows = {};

std::wstring LongName(const wchar_t *start, size_t length) {
    std::wstring name(start);
    name.resize(length, L'x');
    return name;
}

const std::vector<SurveyCase> &SurveyCases() {
    static const std::vector<SurveyCase> cases = {
        {"missing Drivers\\Active", false, {}, NoRows, NoneTaken, -1},
        {"Drivers\\Active without subkeys", true, {}, NoRows, NoneTaken, -1},
        {"the seeded terminal",
         true,
         {{L"01", L"COM1:", Serial},
          {L"02", L"COM2:", Irda},
          {L"03", L"SYX1:", L"Drivers\\Builtin\\SysCtl"},
          {L"04", L"PCC1:", L"Drivers\\Builtin\\PCMCIA"},
          {L"05", L"COM3:", Modem}},
         {L"Serial", L"IrDA", L"Modem"},
         {1, 1, 1, 0, 0, 0, 0, 0, 0},
         1},
        {"subkey names are taken as enumerated",
         true,
         {{L"Serial", L"COM1:", Serial}, {L"A long driver name", L"COM9:", Irda}},
         {L"Serial", L"", L"", L"", L"", L"", L"", L"", L"IrDA"},
         {1, 0, 0, 0, 0, 0, 0, 0, 1},
         8},
        {"Name rules: lower case, COM0:, COMA:, anything after the digit",
         true,
         {{L"01", L"com4:", Serial},
          {L"02", L"COM0:", Serial},
          {L"03", L"COMA:", Serial},
          {L"04", L"COM5 and more", Modem},
          {L"05", L"COM", Serial},
          {L"06", L"SYX1:", Irda}},
         {L"", L"", L"", L"Serial", L"Modem"},
         {0, 0, 0, 1, 1, 0, 0, 0, 0},
         -1},
        {"Key rules: case, IrDA2, the bare prefix, PC Card IrDA",
         true,
         {{L"01", L"COM1:", L"DRIVERS\\BUILTIN\\irda"},
          {L"02", L"COM2:", L"Drivers\\Builtin\\IrDA2"},
          {L"03", L"COM3:", L"Drivers\\Builtin\\"},
          {L"04", L"COM4:", L"Drivers\\PCMCIA\\IrDA"},
          {L"05", L"COM5:", L"drivers\\pcmcia\\Card\\Sub"}},
         {L"irda", L"IrDA2", L"", L"IrDA", L"Card\\Sub"},
         {1, 1, 1, 1, 1, 0, 0, 0, 0},
         0},
        {"a driver loaded from elsewhere counts as taken with an empty row",
         true,
         {{L"01", L"COM6:", L"Drivers\\USB\\Serial"}, {L"02", L"COM7:", L"IrDA"}},
         NoRows,
         {0, 0, 0, 0, 0, 1, 1, 0, 0},
         -1},
        {"a COM port without Key counts as taken with an empty row",
         true,
         {{L"01", L"COM8:", NULL}},
         NoRows,
         {0, 0, 0, 0, 0, 0, 0, 1, 0},
         -1},
        {"subkeys without Name or that can't be used are ignored",
         true,
         {{L"01", NULL, Irda}, {L"02", NULL, NULL}, {L"03", L"COM2:", Serial}},
         {L"", L"Serial"},
         {0, 1, 0, 0, 0, 0, 0, 0, 0},
         -1},
        {"same COM twice: the later text wins, the earlier IrDA mark stays",
         true,
         {{L"01", L"COM4:", Irda}, {L"02", L"COM4:", Modem}},
         {L"", L"", L"", L"Modem"},
         {0, 0, 0, 1, 0, 0, 0, 0, 0},
         3},
        {"same COM twice: the later IrDA marks it",
         true,
         {{L"01", L"COM4:", Modem}, {L"02", L"COM4:", Irda}},
         {L"", L"", L"", L"IrDA"},
         {0, 0, 0, 1, 0, 0, 0, 0, 0},
         3},
        {"same COM twice: a later key from elsewhere leaves the row",
         true,
         {{L"01", L"COM4:", Irda}, {L"02", L"COM4:", L"Drivers\\USB\\X"}},
         {L"", L"", L"", L"IrDA"},
         {0, 0, 0, 1, 0, 0, 0, 0, 0},
         3},
        {"IrDA on two ports: the later one is the IrDA port",
         true,
         {{L"01", L"COM2:", Irda}, {L"02", L"COM6:", Irda}},
         {L"", L"IrDA", L"", L"", L"", L"IrDA"},
         {0, 1, 0, 0, 0, 1, 0, 0, 0},
         5},
        {"a subkey name of 79 characters is walked",
         true,
         {{L"01", L"COM1:", Serial},
          {LongName(L"02", 79), L"COM2:", Irda},
          {L"03", L"COM3:", Modem}},
         {L"Serial", L"IrDA", L"Modem"},
         {1, 1, 1, 0, 0, 0, 0, 0, 0},
         1},
        {"a subkey name of 80 characters ends the walk",
         true,
         {{L"01", L"COM1:", Serial},
          {LongName(L"02", 80), L"COM2:", Irda},
          {L"03", L"COM3:", Modem}},
         {L"Serial"},
         {1, 0, 0, 0, 0, 0, 0, 0, 0},
         -1},
        {"a subkey name of 120 characters ends the walk",
         true,
         {{LongName(L"00", 120), L"COM5:", Serial}, {L"01", L"COM1:", Serial}},
         NoRows,
         NoneTaken,
         -1},
    };
    return cases;
}

class SurveyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearActiveDrivers();
    }
    void TearDown() override {
        ClearActiveDrivers();
    }
};

TEST_F(SurveyTest, FillsRowsAndResultsFromActiveDrivers) {
    for (const SurveyCase &c : SurveyCases()) {
        ClearActiveDrivers();
        if (c.activeKey) {
            SetEntryRaw(__LINE__, L"", NULL, REG_SZ, NULL, 0);
        }
        for (const Entry &e : c.entries) {
            SetEntryRaw(__LINE__, e.subkey, NULL, REG_SZ, NULL, 0);
            if (e.name != NULL) {
                SET_ENTRY(e.subkey, L"Name", e.name);
            }
            if (e.key != NULL) {
                SET_ENTRY(e.subkey, L"Key", e.key);
            }
        }
        Survey survey = RunSurvey();
        for (int i = 0; i < ComPortCount; ++i) {
            EXPECT_EQ(survey.rows[i], c.rows[i]) << c.what << ": row COM" << i + 1;
        }
        EXPECT_EQ(survey.taken, c.taken) << c.what;
        EXPECT_EQ(survey.irda, c.irda) << c.what;
    }
}

TEST_F(SurveyTest, ValuesOfOtherTypesAreNotStrings) {
    SetEntryRaw(__LINE__, L"01", L"Name", REG_BINARY, L"COM1:", sizeof L"COM1:");
    SET_ENTRY(L"01", L"Key", Serial);
    SetEntryRaw(__LINE__, L"02", L"Name", REG_EXPAND_SZ, L"COM2:", sizeof L"COM2:");
    SET_ENTRY(L"02", L"Key", Serial);
    SetEntryRaw(__LINE__, L"03", L"Name", REG_MULTI_SZ, L"COM3:\0", sizeof L"COM3:\0");
    SET_ENTRY(L"03", L"Key", Serial);
    DWORD four = 4;
    SetEntryRaw(__LINE__, L"04", L"Name", REG_DWORD, &four, sizeof four);
    // A port whose Key has another type is taken, its row stays empty and it marks nothing.
    SET_ENTRY(L"05", L"Name", L"COM5:");
    SetEntryRaw(__LINE__, L"05", L"Key", REG_BINARY, Irda, sizeof Irda);
    SET_ENTRY(L"06", L"Name", L"COM6:");
    SetEntryRaw(__LINE__, L"06", L"Key", REG_EXPAND_SZ, Irda, sizeof Irda);
    SET_ENTRY(L"07", L"Name", L"COM7:");
    SetEntryRaw(__LINE__, L"07", L"Key", REG_DWORD, &four, sizeof four);

    Survey survey = RunSurvey();
    EXPECT_EQ(survey.rows, NoRows);
    EXPECT_EQ(survey.taken, (Taken{0, 0, 0, 0, 1, 1, 1, 0, 0}));
    EXPECT_EQ(survey.irda, -1);
}

TEST_F(SurveyTest, NamesAreReadWithinTheirBuffer) {
    // 79 characters and a terminator fill the 80-character buffer exactly.
    SET_ENTRY(L"01", L"Name", LongName(L"COM1", 79));
    SET_ENTRY(L"01", L"Key", Serial);
    // 80 characters stored without a terminator fill it too, and count by their fourth one.
    SetEntryText(__LINE__, L"02", L"Name", LongName(L"COM2", 80), false);
    SET_ENTRY(L"02", L"Key", Irda);
    // 80 characters with their terminator do not fit: the read fails.
    SET_ENTRY(L"03", L"Name", LongName(L"COM3", 80));
    SET_ENTRY(L"03", L"Key", Modem);
    // Short names without terminator.
    SetEntryText(__LINE__, L"04", L"Name", L"COM4:", false);
    SET_ENTRY(L"04", L"Key", Modem);
    SetEntryText(__LINE__, L"05", L"Name", L"COM", false);
    SET_ENTRY(L"05", L"Key", Modem);

    Survey survey = RunSurvey();
    EXPECT_EQ(survey.rows, (Rows{L"Serial", L"IrDA", L"", L"Modem"}));
    EXPECT_EQ(survey.taken, (Taken{1, 1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(survey.irda, 1);
}

TEST_F(SurveyTest, KeysAreShownWithinTheirBuffer) {
    const std::wstring builtin = L"Drivers\\Builtin\\";
    // 1024 characters without a terminator fill the Key buffer: the row shows all the rest.
    std::wstring full = builtin + std::wstring(1024 - builtin.size(), L'k');
    SetEntryText(__LINE__, L"01", L"Key", full, false);
    SET_ENTRY(L"01", L"Name", L"COM1:");
    // 1023 characters and the terminator fit.
    std::wstring fits = builtin + std::wstring(1023 - builtin.size(), L'f');
    SET_ENTRY(L"02", L"Key", fits);
    SET_ENTRY(L"02", L"Name", L"COM2:");
    // 1024 characters and the terminator don't: taken, row empty.
    SET_ENTRY(L"03", L"Key", full);
    SET_ENTRY(L"03", L"Name", L"COM3:");
    // Unterminated short keys, and a key whose data goes on after a terminator.
    SetEntryText(__LINE__, L"04", L"Key", Modem, false);
    SET_ENTRY(L"04", L"Name", L"COM4:");
    const wchar_t irdaAndMore[] = L"Drivers\\Builtin\\IrDA\0Serial";
    SetEntryRaw(__LINE__, L"05", L"Key", REG_SZ, irdaAndMore, sizeof irdaAndMore);
    SET_ENTRY(L"05", L"Name", L"COM5:");
    SetEntryText(__LINE__, L"06", L"Key", L"Drivers\\Builtin\\", false);
    SET_ENTRY(L"06", L"Name", L"COM6:");

    Survey survey = RunSurvey();
    EXPECT_EQ(survey.rows[0], std::wstring(1024 - builtin.size(), L'k'));
    EXPECT_EQ(survey.rows[1], std::wstring(1023 - builtin.size(), L'f'));
    EXPECT_EQ(survey.rows[2], L"");
    EXPECT_EQ(survey.rows[3], L"Modem");
    EXPECT_EQ(survey.rows[4], L"IrDA");
    EXPECT_EQ(survey.rows[5], L"");
    EXPECT_EQ(survey.taken, (Taken{1, 1, 1, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(survey.irda, 4);
}

TEST_F(SurveyTest, ListDialogSetsCaptionNoDragAndSurveys) {
    SET_ENTRY(L"01", L"Name", L"COM3:");
    SET_ENTRY(L"01", L"Key", Irda);
    HWND dialog = CreateListDialog(PortListDlgProc);
    ASSERT_NE(dialog, (HWND)NULL);
    wchar_t caption[64] = {0};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, ToolTitle);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_NODRAG, WS_EX_NODRAG);
    EXPECT_EQ(RowsOf(dialog), (Rows{L"", L"", L"IrDA"}));
    EXPECT_EQ(IrdaComIndex, 2);
    // キャンセル has the focus: it is the first control in tab order.
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
    DestroyWindow(dialog);
}

} // namespace
