// Command line of the probe: a command word, window selectors and the command's options.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct WindowSelector {
    bool byTitle = false;
    std::wstring title;
    bool byClass = false;
    std::wstring className;
    bool byPid = false;
    DWORD pid = 0;
    bool byHandle = false;
    HWND handle = NULL;
    bool includeHidden = false; // --all
};

struct ProbeOptions {
    std::wstring command;
    WindowSelector selector;
    bool hasTimeout = false;
    DWORD timeoutMs = 0;
    bool hasId = false;
    int id = 0;
    bool hasText = false;
    std::wstring text;
    bool send = false;
    bool force = false;
    std::vector<std::wstring> keyChords;
};

// Fills options from wmain's arguments; on failure describes the fault in error.
bool ParseProbeOptions(int argc, wchar_t **argv, ProbeOptions &options, std::wstring &error);
