// Rebuilding the registry keys of the IrDA port tool for its tests.
#include "driver_registry.h"

static const wchar_t IrdaKey[] = L"Drivers\\Builtin\\IrDA";

void SetIrdaIndex(int line, DWORD index) {
    HKEY key;
    LONG result =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, IrdaKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    ASSERT_EQ(result, ERROR_SUCCESS) << "called from line " << line;
    result = RegSetValueExW(key, L"Index", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&index),
                            sizeof index);
    EXPECT_EQ(result, ERROR_SUCCESS) << "called from line " << line;
    RegCloseKey(key);
}

void DeleteIrdaKey() {
    LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, IrdaKey);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
    result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, IrdaKey);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
}

bool ReadIrdaIndex(DWORD &index, DWORD &type, DWORD &bytes) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, IrdaKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    BYTE data[16] = {0};
    bytes = sizeof data;
    LONG result = RegQueryValueExW(key, L"Index", NULL, &type, data, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    memcpy(&index, data, sizeof index);
    return true;
}
