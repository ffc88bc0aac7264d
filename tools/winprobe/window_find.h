// Finding top-level windows by selector and controls by id, optionally waiting for them.
#pragma once
#include "probe_options.h"
#include <windows.h>
#include <vector>

// Matching top-level windows in Z order (topmost first); never the probe's own windows.
std::vector<HWND> FindWindows(const WindowSelector &selector);

// Polls until a matching window exists or timeoutMs passes; NULL on time-out.
HWND WaitForWindow(const WindowSelector &selector, DWORD timeoutMs);

// Polls until no matching window exists; false on time-out.
bool WaitForNoWindow(const WindowSelector &selector, DWORD timeoutMs);

// Every descendant window, in the order EnumChildWindows gives them.
std::vector<HWND> ChildWindows(HWND window);

// The first descendant whose control id is id, or NULL.
HWND FindControl(HWND window, int id);

const DWORD PollIntervalMs = 50;
