// Opening the identity dialog in the tests and reading its texts.
#include "info_dialog.h"
#include "resource.h"

LPCDLGTEMPLATEW InfoTemplate() {
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(IDD_MAIN), RT_DIALOG);
    return static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(NULL, found)));
}

std::wstring Text(HWND dialog, int id) {
    wchar_t text[128];
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
}
