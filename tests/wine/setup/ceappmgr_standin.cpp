// Stands in for the Application Manager in the setup program's tests: each start appends its
// command line, in UTF-8, as one line to command-lines.txt beside it.
#include <windows.h>

#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t path[MAX_PATH + 32];
    static char line[8192];
    GetModuleFileNameW(NULL, path, MAX_PATH);
    wcscpy(wcsrchr(path, L'\\') + 1, L"command-lines.txt");
    int bytes = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line, 0, 0);
    line[bytes - 1] = '\n';
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL wrote = WriteFile(file, line, bytes, &written, NULL);
    CloseHandle(file);
    return wrote ? 0 : 1;
}
