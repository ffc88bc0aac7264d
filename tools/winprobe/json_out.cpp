// JSON values of the probe's answers and output on the standard handles.
#include "json_out.h"
#include <cstdio>

std::string Utf8Of(const std::wstring &text) {
    int wideLength = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, NULL, 0, NULL, NULL);
    if (size <= 0) {
        return std::string();
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, &bytes[0], size, NULL, NULL);
    return bytes;
}

Json JsonText(const std::wstring &text) {
    return Utf8Of(text);
}

Json JsonHex(unsigned long long value) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "0x%llx", value);
    return digits;
}

Json JsonHandle(HWND window) {
    if (window == NULL) {
        return nullptr;
    }
    return JsonHex(reinterpret_cast<ULONG_PTR>(window));
}

Json JsonRect(const RECT &rect) {
    return Json::array({rect.left, rect.top, rect.right, rect.bottom});
}

Json JsonPair(long first, long second) {
    return Json::array({first, second});
}

std::string JsonDump(const Json &value) {
    // Texts come from Utf8Of and are valid UTF-8; `replace` only makes sure dumping never
    // aborts.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool WriteOutput(DWORD stdHandle, const std::string &utf8) {
    if (utf8.empty()) {
        return true;
    }
    HANDLE out = GetStdHandle(stdHandle);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        // Someone reading at a terminal: a console takes UTF-16 whatever its code page.
        int length = static_cast<int>(utf8.size());
        int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, NULL, 0);
        if (size <= 0) {
            return false;
        }
        std::wstring text(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &text[0], size);
        DWORD written = 0;
        return WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, NULL) !=
               FALSE;
    }
    DWORD offset = 0;
    while (offset < utf8.size()) {
        DWORD written = 0;
        if (!WriteFile(out, utf8.data() + offset, static_cast<DWORD>(utf8.size() - offset),
                       &written, NULL) ||
            written == 0) {
            return false;
        }
        offset += written;
    }
    return true;
}
