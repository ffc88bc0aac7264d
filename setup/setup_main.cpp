// setup: started by a double click on the PC, it hands the .ini beside it to the Application
// Manager of ActiveSync or Windows Mobile Device Center, which copies the cabinet it names to
// the device in the cradle and installs it there. Where a piece is missing it says so in one
// message box. It writes neither the registry nor any file.
#include <windows.h>

#include "setup_rules.h"

// The .ini the release puts beside this program, in its own folder.
static const wchar_t IniName[] = L"phs-tools.ini";
static const char IniSection[] = "CEAppManager";
static const wchar_t AppManagerKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
// Access to try the key with: the program's own view of the registry, then the 64-bit one, as
// a 32-bit program on 64-bit Windows may find it only there (32-bit Windows ignores the flag).
static const REGSAM AppManagerKeyAccess[] = {KEY_READ, KEY_READ | KEY_WOW64_64KEY};
// Enough for an .ini of a few lines; a longer one is read in part.
static const DWORD IniMaxBytes = 8192;
static const size_t TextUnits = 1024;

static bool IsFile(const wchar_t *path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The .ini's bytes into text (IniMaxBytes + 1), terminated; false when it can't be read.
static bool ReadIni(const wchar_t *path, char *text, DWORD *length) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BOOL read = ReadFile(file, text, IniMaxBytes, length, NULL);
    CloseHandle(file);
    if (!read) {
        return false;
    }
    text[*length] = 0;
    return true;
}

// The cabinets the .ini's component lists (CabFiles), into list (TextUnits).
static bool CabinetList(const char *ini, DWORD length, char *list) {
    char component[MAX_PATH];
    return IniValue(ini, length, IniSection, "Component", component, MAX_PATH) &&
           IniValue(ini, length, component, "CabFiles", list, TextUnits);
}

// Whether every cabinet of the list is a file beside the .ini. name holds the one checked
// last: the missing one, or on success the last of the list.
static bool CabinetsBeside(const wchar_t *iniPath, const char *list, wchar_t *name) {
    char item[MAX_PATH];
    size_t position = 0;
    bool any = false;
    while (NextListItem(list, &position, item, MAX_PATH)) {
        wchar_t path[MAX_PATH];
        // The .ini is in the PC's ANSI code page, as the Application Manager reads it.
        if (!MultiByteToWideChar(CP_ACP, 0, item, -1, name, MAX_PATH) ||
            !PathBeside(iniPath, name, path, MAX_PATH) || !IsFile(path)) {
            return false;
        }
        any = true;
    }
    return any;
}

// The Application Manager's full path from the registry, when it names a file that exists.
static bool FindAppManager(wchar_t *path) {
    for (size_t i = 0; i < sizeof AppManagerKeyAccess / sizeof AppManagerKeyAccess[0]; ++i) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, AppManagerKey, 0, AppManagerKeyAccess[i], &key) !=
            ERROR_SUCCESS) {
            continue;
        }
        DWORD type = 0;
        DWORD bytes = MAX_PATH * sizeof(wchar_t);
        LONG status =
            RegQueryValueExW(key, NULL, NULL, &type, reinterpret_cast<BYTE *>(path), &bytes);
        RegCloseKey(key);
        if (status == ERROR_SUCCESS && AppPathLength(type, path, bytes) > 0 && IsFile(path)) {
            return true;
        }
    }
    return false;
}

static bool StartAppManager(const wchar_t *appManager, const wchar_t *iniPath,
                            const wchar_t *folder) {
    wchar_t commandLine[2 * MAX_PATH + 8];
    if (!QuotedCommandLine(appManager, iniPath, commandLine,
                           sizeof commandLine / sizeof(wchar_t))) {
        return false;
    }
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(appManager, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

static void ShowProblem(HINSTANCE instance, SetupProblem problem, const wchar_t *name) {
    wchar_t caption[128];
    wchar_t message[TextUnits];
    wchar_t text[TextUnits + MAX_PATH];
    LoadStringW(instance, IDS_CAPTION, caption, sizeof caption / sizeof(wchar_t));
    LoadStringW(instance, MessageForProblem(problem), message, TextUnits);
    wsprintfW(text, message, name);
    MessageBoxW(NULL, text, caption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    wchar_t self[MAX_PATH];
    wchar_t iniPath[MAX_PATH];
    wchar_t folder[MAX_PATH];
    static char ini[IniMaxBytes + 1];
    static char list[TextUnits];
    DWORD length = 0;
    DWORD selfLength = GetModuleFileNameW(NULL, self, MAX_PATH);
    bool iniRead = selfLength > 0 && selfLength < MAX_PATH &&
                   PathBeside(self, IniName, iniPath, MAX_PATH) &&
                   PathBeside(self, L"", folder, MAX_PATH) && ReadIni(iniPath, ini, &length) &&
                   CabinetList(ini, length, list);
    wchar_t cabinet[MAX_PATH] = L"";
    bool cabinets = iniRead && CabinetsBeside(iniPath, list, cabinet);
    wchar_t appManager[MAX_PATH];
    bool found = cabinets && FindAppManager(appManager);
    SetupProblem problem = FirstSetupProblem(iniRead, cabinets, found);
    if (problem == SetupReady && !StartAppManager(appManager, iniPath, folder)) {
        // A registered program that does not start is as good as none.
        problem = SetupNoAppManager;
    }
    if (problem != SetupReady) {
        ShowProblem(instance, problem, problem == SetupNoIni ? IniName : cabinet);
    }
    return ExitCodeForProblem(problem);
}
