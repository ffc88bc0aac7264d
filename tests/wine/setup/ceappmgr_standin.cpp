// Stands in for the Application Manager in the setup program's tests: each start appends its
// command line, in UTF-8, as one line to command-lines.txt beside it.
#include <windows.h>

#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t *slash = wcsrchr(path, L'\\');
    if (length == 0 || length >= MAX_PATH || slash == NULL) {
        return 2;
    }
    wcscpy(slash + 1, L"command-lines.txt");
    static char line[8192];
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line - 1, NULL, NULL);
    if (bytes <= 0) {
        return 3;
    }
    line[bytes - 1] = '\n';
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    BOOL wrote = file != INVALID_HANDLE_VALUE && WriteFile(file, line, bytes, &written, NULL);
    CloseHandle(file);
    return wrote && written == static_cast<DWORD>(bytes) ? 0 : 4;
}
