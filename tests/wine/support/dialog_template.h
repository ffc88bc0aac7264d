// Reads a classic dialog template (DLGTEMPLATE and its items) as stored in a resource.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateText {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

struct TemplateItem {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    short id = 0;
    TemplateText windowClass, title;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateText menu, windowClass;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// Parses the Japanese template of dialog `id` in `module` (NULL: this program); false when it
// is missing or an extended template.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate *out);

// True when a template's class or text field is the given ordinal (a predefined class atom such
// as 0x0080 button, 0x0082 static, 0x0085 combobox).
inline bool IsOrdinal(const TemplateText &field, WORD ordinal) {
    return field.isOrdinal && field.ordinal == ordinal;
}

// Loads a built program of the terminal as a data file (tools directory of the Win32 build).
HMODULE LoadToolImage(const char *name);
