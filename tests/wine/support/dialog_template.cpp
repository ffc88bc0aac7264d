// Parsing dialog templates of built programs.
#include "dialog_template.h"

#include <string>

namespace {

const WORD *Align(const WORD *p) {
    return reinterpret_cast<const WORD *>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
}

const WORD *ReadText(const WORD *p, TemplateText *out) {
    if (*p == 0xFFFF) {
        out->isOrdinal = true;
        out->ordinal = p[1];
        return p + 2;
    }
    const WCHAR *s = reinterpret_cast<const WCHAR *>(p);
    out->text = s;
    return p + out->text.size() + 1;
}

const WORD *ReadString(const WORD *p, std::wstring *out) {
    *out = reinterpret_cast<const WCHAR *>(p);
    return p + out->size() + 1;
}

} // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate *out) {
    HRSRC found =
        FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(id),
                        MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
    if (found == NULL) {
        return false;
    }
    const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
    if (base == NULL) {
        return false;
    }
    const DLGTEMPLATE *head = reinterpret_cast<const DLGTEMPLATE *>(base);
    if (reinterpret_cast<const WORD *>(base)[1] == 0xFFFF) {
        return false; // an extended template, which the terminal does not support
    }
    out->style = head->style;
    out->exStyle = head->dwExtendedStyle;
    out->x = head->x;
    out->y = head->y;
    out->cx = head->cx;
    out->cy = head->cy;
    const WORD *p = reinterpret_cast<const WORD *>(head + 1);
    p = ReadText(p, &out->menu);
    p = ReadText(p, &out->windowClass);
    p = ReadString(p, &out->title);
    if (out->style & DS_SETFONT) {
        out->pointSize = *p++;
        p = ReadString(p, &out->typeface);
    }
    for (int i = 0; i < head->cdit; ++i) {
        p = Align(p);
        const DLGITEMTEMPLATE *item = reinterpret_cast<const DLGITEMTEMPLATE *>(p);
        TemplateItem t;
        t.style = item->style;
        t.exStyle = item->dwExtendedStyle;
        t.x = item->x;
        t.y = item->y;
        t.cx = item->cx;
        t.cy = item->cy;
        t.id = static_cast<short>(item->id);
        p = reinterpret_cast<const WORD *>(item + 1);
        p = ReadText(p, &t.windowClass);
        p = ReadText(p, &t.title);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(p) + extra);
        out->items.push_back(t);
    }
    return true;
}

HMODULE LoadToolImage(const char *name) {
    std::string path = std::string("Z:") + TOOLS_DIR + "/" + name;
    return LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
}
