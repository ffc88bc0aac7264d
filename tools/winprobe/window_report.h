// Describes windows as JSON objects: what a user could see of a window and its controls.
#pragma once
#include "json_out.h"
#include <windows.h>

// One top-level window with all its controls.
Json WindowReport(HWND window);
