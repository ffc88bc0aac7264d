// Walks HKLM\Drivers\Active\01..99 for the driver whose Key is the PC Card modem's.
#include "modem_port.h"
#include "registry_text.h"

#include <wchar.h>

static const WCHAR ModemDriverKey[] = L"Drivers\\PCMCIA\\Modem";
static const int ValueUnits = 128;

// Reads a string value into buffer (ValueUnits + 1 units, the last one only ever a terminator).
static bool ReadEntryString(HKEY entry, const WCHAR *valueName, WCHAR *buffer, size_t maxChars) {
    DWORD type = REG_SZ;
    DWORD size = ValueUnits * sizeof(WCHAR);
    if (RegQueryValueExW(entry, valueName, NULL, &type, reinterpret_cast<BYTE *>(buffer), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return TerminateRegistryString(buffer, ValueUnits + 1, type, size, maxChars);
}

void FindModemPort(WCHAR *deviceName) {
    WCHAR result[ModemPortNameUnits];
    result[0] = 0;

    // Every entry is examined, so the highest-numbered match with a usable Name wins.
    for (int n = 1; n <= 99; ++n) {
        WCHAR path[128];
        wsprintfW(path, L"Drivers\\Active\\%02d", n);
        HKEY entry;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, REG_READ_ACCESS, &entry) != ERROR_SUCCESS) {
            continue;
        }
        WCHAR key[ValueUnits + 1];
        if (ReadEntryString(entry, L"Key", key, ValueUnits) && wcscmp(key, ModemDriverKey) == 0) {
            // A Name that is unreadable, not a string or too long for the device name buffer
            // leaves the result as it was.
            WCHAR name[ValueUnits + 1];
            if (ReadEntryString(entry, L"Name", name, ModemPortNameUnits - 1)) {
                wcscpy(result, name);
            }
        }
        RegCloseKey(entry);
    }
    wcscpy(deviceName, result);
}
