// Rules of the COM port survey and of the port change that need no platform call: which COM
// port a driver's device name names, what a driver's configuration key shows in its row, how a
// registry string value is taken into a fixed buffer, and the combobox entry of a COM number.
#pragma once

#include <stddef.h>

// Registry value type of a zero-terminated string (REG_SZ in the Windows headers).
const unsigned long RegistryStringType = 1;

// Number of COM ports the tool manages: COM1 to COM9.
const int ComPortCount = 9;

// Characters of a combobox entry with its terminator: the digit, a colon and the terminator.
const int ComEntryUnits = 3;

// Takes a value read into buffer as text. buffer has room for textUnits characters plus one
// more unit that only ever holds the terminator; dataBytes is what the read reported. Only
// string data counts; the text ends at its first terminator or where the data ends, so a value
// stored without a terminator, or one that fills all textUnits characters, is still cut at
// the end of the buffer. Returns false, leaving the buffer as it was, for any other type.
bool TakeRegistryText(wchar_t *buffer, size_t textUnits, unsigned long type,
                      unsigned long dataBytes);

// Zero-based COM index (0 to 8) named by a driver's device name, or -1. The name counts when
// its first three characters are "com" in any case and its fourth is a digit 1 to 9; what
// follows the fourth character is not looked at.
int ComIndexOfName(const wchar_t *name);

// What a driver's configuration key shows in the driver's row.
struct DriverKeyRow {
    // The key below Drivers\Builtin\ or Drivers\PCMCIA\ (prefixes in any case), as stored;
    // null when the key lies elsewhere and the row is left as it is.
    const wchar_t *rowText;
    // True for the built-in IrDA driver: a built-in key whose rest is "IRDA" in any case.
    bool isIrda;
};
DriverKeyRow RowOfDriverKey(const wchar_t *key);

// The combobox entry of a zero-based COM index 0 to 8: its digit and a colon ("3:" for COM3).
void ComEntryText(int comIndex, wchar_t entry[ComEntryUnits]);

// The COM number (1 to 9) that the text of the chosen combobox entry stands for, taken from its
// first character; -1 when that character is no digit 1 to 9 (no entry chosen).
int ComNumberOfEntry(const wchar_t *text);
