// Helpers for tests that rebuild HKLM\Drivers\Active in the simulated terminal's registry.
// Failures report the caller's line.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Deletes HKLM\Drivers\Active with everything under it.
void ClearActiveDrivers();

// Creates HKLM\Drivers\Active\<entry> (the key itself for an empty entry), and when value is
// given sets it to raw bytes.
void SetEntryRaw(int line, const std::wstring &entry, const wchar_t *value, DWORD type,
                 const void *data, DWORD bytes);

// Sets a REG_SZ value, stored with its terminator unless terminated is false: then the data
// holds only the text's characters.
void SetEntryText(int line, const std::wstring &entry, const wchar_t *value,
                  const std::wstring &text, bool terminated = true);

#define SET_ENTRY(entry, value, text) SetEntryText(__LINE__, entry, value, text)
