// Functions for tests that rebuild the registry keys portswap reads and writes in the simulated
// terminal: HKLM\Drivers\Active and HKLM\Drivers\Builtin\IrDA. Failures report the caller's
// line.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Deletes HKLM\Drivers\Active with everything under it.
void ClearActiveDrivers();

// Creates HKLM\Drivers\Active\<entry>, and when value is given sets it to raw bytes.
void SetEntryRaw(int line, const std::wstring &entry, const wchar_t *value, DWORD type,
                 const void *data, DWORD bytes);

// Sets a REG_SZ value, stored with its terminator unless terminated is false: then the data
// holds only the text's characters.
void SetEntryText(int line, const std::wstring &entry, const wchar_t *value,
                  const std::wstring &text, bool terminated = true);

#define SET_ENTRY(entry, value, text) SetEntryText(__LINE__, entry, value, text)

// HKLM\Drivers\Builtin\IrDA: created with the given Index, or deleted.
void SetIrdaIndex(int line, DWORD index);
void DeleteIrdaKey();

// Index of HKLM\Drivers\Builtin\IrDA as stored: type and byte count come back too. Returns
// false when the key or the value is missing.
bool ReadIrdaIndex(DWORD &index, DWORD &type, DWORD &bytes);
