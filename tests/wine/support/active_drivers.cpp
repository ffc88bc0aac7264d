// Rebuilding HKLM\Drivers\Active for registry tests.
#include "active_drivers.h"

static const wchar_t ActiveKey[] = L"Drivers\\Active";

void ClearActiveDrivers() {
    LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ActiveKey);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
    result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, ActiveKey);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
}

void SetEntryRaw(int line, const std::wstring &entry, const wchar_t *value, DWORD type,
                 const void *data, DWORD bytes) {
    std::wstring path = std::wstring(ActiveKey);
    if (!entry.empty()) {
        path += L"\\" + entry;
    }
    HKEY key;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                                  NULL, &key, NULL);
    ASSERT_EQ(result, ERROR_SUCCESS) << "called from line " << line;
    if (value != NULL) {
        result = RegSetValueExW(key, value, 0, type, static_cast<const BYTE *>(data), bytes);
        EXPECT_EQ(result, ERROR_SUCCESS) << "called from line " << line;
    }
    RegCloseKey(key);
}

void SetEntryText(int line, const std::wstring &entry, const wchar_t *value,
                  const std::wstring &text, bool terminated) {
    // Wine's RegSetValueExW terminates string data itself when a zero happens to follow it in
    // memory, so an unterminated value is stored from a copy followed by a non-zero character.
    std::wstring data = text + (terminated ? L'\0' : L'#');
    DWORD bytes = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    SetEntryRaw(line, entry, value, REG_SZ, data.c_str(), bytes);
}
