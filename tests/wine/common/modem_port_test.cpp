// FindModemPort against the real registry of the simulated terminal.
#include "modem_port.h"
#include "active_drivers.h"

#include <string>
#include <vector>

namespace {

struct Entry {
    const wchar_t *number;
    const wchar_t *key;  // NULL: no Key value
    const wchar_t *name; // NULL: no Name value
};

struct SearchCase {
    const char *what;
    std::vector<Entry> entries;
    const wchar_t *expected;
};

const wchar_t Modem[] = L"Drivers\\PCMCIA\\Modem";

const SearchCase SearchCases[] = {
    {"no entries at all", {}, L""},
    {"no modem entry",
     {{L"01", L"Drivers\\Builtin\\Serial", L"COM1:"}, {L"02", L"Drivers\\Builtin\\IrDA", L"COM2:"}},
     L""},
    {"the seeded layout",
     {{L"01", L"Drivers\\Builtin\\Serial", L"COM1:"}, {L"05", Modem, L"COM3:"}},
     L"COM3:"},
    {"05 and 12 both match: the higher one wins",
     {{L"05", Modem, L"COM5:"}, {L"12", Modem, L"COM8:"}},
     L"COM8:"},
    {"12 matches without a Name: 05 gives the name",
     {{L"05", Modem, L"COM5:"}, {L"12", Modem, NULL}},
     L"COM5:"},
    {"entry 99 is examined", {{L"99", Modem, L"COM9:"}}, L"COM9:"},
    {"entry 00 is never examined", {{L"00", Modem, L"COM4:"}}, L""},
    {"entry 100 is never examined", {{L"100", Modem, L"COM4:"}}, L""},
    {"one-digit entry name is not an entry", {{L"5", Modem, L"COM4:"}}, L""},
    {"Key differing in case", {{L"05", L"Drivers\\PCMCIA\\modem", L"COM3:"}}, L""},
    {"Key with a trailing backslash", {{L"05", L"Drivers\\PCMCIA\\Modem\\", L"COM3:"}}, L""},
    {"Key going on after Modem", {{L"05", L"Drivers\\PCMCIA\\Modem2", L"COM3:"}}, L""},
    {"entry without Key", {{L"05", NULL, L"COM3:"}}, L""},
    {"name of eleven characters fits", {{L"05", Modem, L"ABCDEFGHIJ:"}}, L"ABCDEFGHIJ:"},
    {"name of twelve characters gives no port", {{L"05", Modem, L"ABCDEFGHIJK:"}}, L""},
    {"too long a name keeps an earlier match",
     {{L"05", Modem, L"COM5:"}, {L"12", Modem, L"\\\\.\\COM12345:"}},
     L"COM5:"},
};

class FindModemPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearActiveDrivers();
    }
    void TearDown() override {
        ClearActiveDrivers();
    }
};

std::wstring Found() {
    WCHAR name[ModemPortNameUnits + 4];
    wmemset(name, L'#', ModemPortNameUnits + 4);
    FindModemPort(name);
    // Nothing may be written past the caller's twelve units.
    for (int i = ModemPortNameUnits; i < ModemPortNameUnits + 4; ++i) {
        EXPECT_EQ(name[i], L'#') << "unit " << i << " overwritten";
    }
    return name;
}

TEST_F(FindModemPortTest, PicksTheHighestModemEntry) {
    for (const SearchCase &c : SearchCases) {
        ClearActiveDrivers();
        for (const Entry &e : c.entries) {
            SetEntryRaw(__LINE__, e.number, NULL, REG_SZ, NULL, 0);
            if (e.key != NULL) {
                SET_ENTRY(e.number, L"Key", e.key);
            }
            if (e.name != NULL) {
                SET_ENTRY(e.number, L"Name", e.name);
            }
        }
        EXPECT_EQ(Found(), c.expected) << c.what;
    }
}

TEST_F(FindModemPortTest, UnterminatedValuesAreNotOverread) {
    // A Key that fills its 128 units without a terminator can't be the modem's key.
    std::wstring longKey(128, L'K');
    SetEntryText(__LINE__, L"03", L"Key", longKey.c_str(), false);
    SET_ENTRY(L"03", L"Name", L"COM1:");
    // An unterminated Name that fits is taken as its characters.
    SetEntryText(__LINE__, L"05", L"Key", Modem, false);
    SetEntryText(__LINE__, L"05", L"Name", L"COM3:", false);
    EXPECT_EQ(Found(), L"COM3:");
}

TEST_F(FindModemPortTest, ValuesOfOtherTypesAreIgnored) {
    SetEntryRaw(__LINE__, L"05", L"Key", REG_BINARY, Modem, sizeof Modem);
    SET_ENTRY(L"05", L"Name", L"COM3:");
    SET_ENTRY(L"06", L"Key", Modem);
    SetEntryRaw(__LINE__, L"06", L"Name", REG_BINARY, L"COM6:", sizeof L"COM6:");
    EXPECT_EQ(Found(), L"");

    // A Name that is too long for the buffer in bytes (over 256) fails the read itself.
    std::wstring huge(300, L'N');
    SET_ENTRY(L"07", L"Key", Modem);
    SET_ENTRY(L"07", L"Name", huge.c_str());
    EXPECT_EQ(Found(), L"");
}

} // namespace
