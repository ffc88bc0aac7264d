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

// Parses the template of dialog `id` in `module`; false when it is missing or malformed.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate *out);

// Loads a built program of the terminal as a data file (tools directory of the Win32 build).
HMODULE LoadToolImage(const char *name);
