// Name and Key rules of the COM port survey, registry text termination and the combobox entries
// of the port change.
#include "portswap/port_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct NameCase {
    const wchar_t *name;
    int comIndex;
};

const NameCase NameCases[] = {
    {L"COM1:", 0},       {L"COM9:", 8},
    {L"com4:", 3},       {L"cOm7:", 6},
    {L"COM0:", -1},      {L"COMA:", -1},
    {L"COM5", 4},        {L"COM5x", 4},
    {L"COM55:", 4},      {L"COM5\\anything at all", 4},
    {L"COM:", -1},       {L"COM", -1},
    {L"CO", -1},         {L"", -1},
    {L" COM1:", -1},     {L"CNM1:", -1},
    {L"SYX1:", -1},      {L"PCC1:", -1},
    {L"COM\uFF11:", -1}, // a full-width digit one
};

TEST(ComIndexOfName, CountsComOneToNineByTheFourthCharacter) {
    for (const NameCase &c : NameCases) {
        EXPECT_EQ(ComIndexOfName(c.name), c.comIndex) << "name \"" << c.name << '"';
    }
}

struct KeyCase {
    const wchar_t *key;
    bool shown;
    const wchar_t *rowText; // when shown
    bool isIrda;
};

const KeyCase KeyCases[] = {
    {L"Drivers\\Builtin\\IrDA", true, L"IrDA", true},
    {L"DRIVERS\\BUILTIN\\irda", true, L"irda", true},
    {L"drivers\\builtin\\IRDA", true, L"IRDA", true},
    {L"Drivers\\Builtin\\IrDA2", true, L"IrDA2", false},
    {L"Drivers\\Builtin\\IrD", true, L"IrD", false},
    {L"Drivers\\Builtin\\IrDA\\", true, L"IrDA\\", false},
    {L"Drivers\\Builtin\\Serial\\IrDA", true, L"Serial\\IrDA", false},
    {L"Drivers\\Builtin\\", true, L"", false},
    {L"Drivers\\Builtin\\Serial", true, L"Serial", false},
    {L"Drivers\\PCMCIA\\Modem", true, L"Modem", false},
    {L"drivers\\pcmcia\\Modem", true, L"Modem", false},
    {L"Drivers\\PCMCIA\\IrDA", true, L"IrDA", false},
    {L"Drivers\\PCMCIA\\", true, L"", false},
    {L"Drivers\\PCMCIA\\Card\\Sub", true, L"Card\\Sub", false},
    {L"Drivers\\Builtin", false, L"", false},
    {L"Drivers\\PCMCIA", false, L"", false},
    {L"Drivers\\USB\\IrDA", false, L"", false},
    {L"Drivers/Builtin/IrDA", false, L"", false},
    {L"\\Drivers\\Builtin\\IrDA", false, L"", false},
    {L"IrDA", false, L"", false},
    {L"", false, L"", false},
};

TEST(RowOfDriverKey, ShowsTheRestBelowBuiltinOrPcCardKeys) {
    for (const KeyCase &c : KeyCases) {
        DriverKeyRow row = RowOfDriverKey(c.key);
        if (!c.shown) {
            EXPECT_EQ(row.rowText, nullptr) << "key \"" << c.key << '"';
            EXPECT_FALSE(row.isIrda) << "key \"" << c.key << '"';
            continue;
        }
        ASSERT_NE(row.rowText, nullptr) << "key \"" << c.key << '"';
        EXPECT_EQ(std::wstring(row.rowText), c.rowText) << "key \"" << c.key << '"';
        EXPECT_EQ(row.isIrda, c.isIrda) << "key \"" << c.key << '"';
    }
}

TEST(RowOfDriverKey, RowTextIsTheStoredKeyItself) {
    // The row shows the key as stored: the text is the tail of the value, not a copy.
    const wchar_t key[] = L"DRIVERS\\BUILTIN\\irda";
    EXPECT_EQ(RowOfDriverKey(key).rowText, key + 16);
    const wchar_t pcCard[] = L"Drivers\\Pcmcia\\Modem";
    EXPECT_EQ(RowOfDriverKey(pcCard).rowText, pcCard + 15);
}

const unsigned long ExpandString = 2;
const unsigned long Binary = 3;
const unsigned long Dword = 4;
const unsigned long MultiString = 7;

struct TextCase {
    const char *what;
    std::wstring data; // value data as the read left it in the buffer
    unsigned long type;
    unsigned long dataBytes;
    size_t textUnits;
    bool taken;
    std::wstring text;
};

const unsigned long U = sizeof(wchar_t);

const TextCase TextCases[] = {
    {"terminated", std::wstring(L"COM3:\0", 6), RegistryStringType, 6 * U, 80, true, L"COM3:"},
    {"not terminated", L"COM3:", RegistryStringType, 5 * U, 80, true, L"COM3:"},
    {"ends at the first terminator", std::wstring(L"COM3:\0junk", 10), RegistryStringType, 10 * U,
     80, true, L"COM3:"},
    {"filling the buffer without a terminator", std::wstring(80, L'N'), RegistryStringType, 80 * U,
     80, true, std::wstring(80, L'N')},
    {"filling the buffer with a terminator last", std::wstring(79, L'N') + std::wstring(1, L'\0'),
     RegistryStringType, 80 * U, 80, true, std::wstring(79, L'N')},
    {"data reported beyond the buffer is cut", std::wstring(16, L'K'), RegistryStringType, 400 * U,
     16, true, std::wstring(16, L'K')},
    {"odd byte count drops the half character", L"COM1:", RegistryStringType, 5 * U - 1, 80, true,
     L"COM1"},
    {"empty data", L"", RegistryStringType, 0, 80, true, L""},
    {"expandable string refused", L"COM3:", ExpandString, 5 * U, 80, false, L""},
    {"binary refused", L"COM3:", Binary, 5 * U, 80, false, L""},
    {"dword refused", L"CO", Dword, 4, 80, false, L""},
    {"multi-string refused", std::wstring(L"COM3:\0\0", 7), MultiString, 7 * U, 80, false, L""},
};

TEST(TakeRegistryText, EndsTheTextInsideTheBuffer) {
    for (const TextCase &c : TextCases) {
        // Exactly textUnits + 1 units, so the sanitizer sees any access past the buffer.
        std::vector<wchar_t> buffer(c.textUnits + 1, L'#');
        size_t stored = c.data.size() < c.textUnits ? c.data.size() : c.textUnits;
        std::copy(c.data.begin(), c.data.begin() + stored, buffer.begin());
        std::vector<wchar_t> before = buffer;

        bool taken = TakeRegistryText(buffer.data(), c.textUnits, c.type, c.dataBytes);
        EXPECT_EQ(taken, c.taken) << c.what;
        if (c.taken) {
            EXPECT_EQ(std::wstring(buffer.data()), c.text) << c.what;
        } else {
            EXPECT_EQ(buffer, before) << c.what << ": buffer changed";
        }
    }
}

TEST(ComEntries, EachEntryStandsForItsComNumber) {
    const wchar_t *expected[ComPortCount] = {L"1:", L"2:", L"3:", L"4:", L"5:",
                                             L"6:", L"7:", L"8:", L"9:"};
    for (int i = 0; i < ComPortCount; ++i) {
        wchar_t entry[ComEntryUnits];
        ComEntryText(i, entry);
        EXPECT_EQ(std::wstring(entry), expected[i]);
        EXPECT_EQ(ComNumberOfEntry(entry), i + 1) << "entry " << expected[i];
    }
}

TEST(ComEntries, TextWithoutAComNumberGivesNone) {
    const wchar_t *texts[] = {L"", L":", L"0:", L"A:", L" 3:", L"\uFF13:"};
    for (const wchar_t *text : texts) {
        EXPECT_EQ(ComNumberOfEntry(text), -1) << "text \"" << text << '"';
    }
}

} // namespace
