// Helpers for tests that rebuild HKLM\Drivers\Active in the simulated terminal's registry.
// Failures report the caller's line.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

// Deletes HKLM\Drivers\Active with everything under it.
void ClearActiveDrivers();

// Creates HKLM\Drivers\Active\<entry> and sets a string value in it (stored with its terminator
// unless `terminated` is false).
void SetEntryString(int line, const wchar_t *entry, const wchar_t *value, const wchar_t *text,
                    bool terminated = true);
// Sets a value of any type with raw bytes.
void SetEntryRaw(int line, const wchar_t *entry, const wchar_t *value, DWORD type, const void *data,
                 DWORD bytes);

#define SET_ENTRY(entry, value, text) SetEntryString(__LINE__, entry, value, text)
