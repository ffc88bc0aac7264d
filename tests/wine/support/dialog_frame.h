// The dialog itself, as a template states it: what every template check compares first.
#pragma once

#include <string>

#include "dialog_template.h"

struct DialogFrame {
    DWORD style, exStyle;
    short cx, cy;
    const wchar_t *title;
    const wchar_t *typeface;
};

// Expects the template's styles, its place at 0,0, its size, caption and 9-point font; `what`
// names the dialog in a failure.
void ExpectDialogFrame(const DialogTemplate &d, const DialogFrame &want,
                       const std::string &what = "");
