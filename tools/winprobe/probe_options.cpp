// Parses the probe's command line.
#include "probe_options.h"
#include <cerrno>
#include <cstdlib>

static bool ParseNumber(const wchar_t *text, long long low, long long high, long long &value) {
    wchar_t *end = NULL;
    errno = 0;
    value = wcstoll(text, &end, 0);
    return *text != L'\0' && *end == L'\0' && errno == 0 && value >= low && value <= high;
}

static bool ParseHandle(const wchar_t *text, HWND &handle) {
    wchar_t *end = NULL;
    errno = 0;
    unsigned long long value = wcstoull(text, &end, 16);
    if (*text == L'\0' || *end != L'\0' || errno != 0 || value == 0) {
        return false;
    }
    handle = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    return true;
}

static bool TakesPositionalArguments(const std::wstring &command) {
    return command == L"keys";
}

bool ParseProbeOptions(int argc, wchar_t **argv, ProbeOptions &options, std::wstring &error) {
    if (argc < 2) {
        error = L"no command given";
        return false;
    }
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool takesValue = arg == L"--title" || arg == L"--class" || arg == L"--pid" ||
                          arg == L"--hwnd" || arg == L"--timeout" || arg == L"--id" ||
                          arg == L"--text";
        if (takesValue && i + 1 >= argc) {
            error = arg + L" needs a value";
            return false;
        }
        const wchar_t *value = takesValue ? argv[i + 1] : NULL;
        long long number = 0;
        if (arg == L"--title") {
            options.selector.byTitle = true;
            options.selector.title = value;
        } else if (arg == L"--class") {
            options.selector.byClass = true;
            options.selector.className = value;
        } else if (arg == L"--pid") {
            if (!ParseNumber(value, 1, 0xFFFFFFFFLL, number)) {
                error = L"bad --pid value";
                return false;
            }
            options.selector.byPid = true;
            options.selector.pid = static_cast<DWORD>(number);
        } else if (arg == L"--hwnd") {
            if (!ParseHandle(value, options.selector.handle)) {
                error = L"bad --hwnd value";
                return false;
            }
            options.selector.byHandle = true;
        } else if (arg == L"--timeout") {
            if (!ParseNumber(value, 0, 0x7FFFFFFFLL, number)) {
                error = L"bad --timeout value";
                return false;
            }
            options.hasTimeout = true;
            options.timeoutMs = static_cast<DWORD>(number);
        } else if (arg == L"--id") {
            if (!ParseNumber(value, -0x80000000LL, 0x7FFFFFFFLL, number)) {
                error = L"bad --id value";
                return false;
            }
            options.hasId = true;
            options.id = static_cast<int>(number);
        } else if (arg == L"--text") {
            options.hasText = true;
            options.text = value;
        } else if (arg == L"--all") {
            options.selector.includeHidden = true;
        } else if (arg == L"--send") {
            options.send = true;
        } else if (arg == L"--force") {
            options.force = true;
        } else if (arg.compare(0, 2, L"--") != 0 && TakesPositionalArguments(options.command)) {
            options.keyChords.push_back(arg);
        } else {
            error = L"unexpected argument " + arg;
            return false;
        }
        if (takesValue) {
            ++i;
        }
    }
    return true;
}
