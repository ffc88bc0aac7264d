// Compact JSON writer and output on the standard handles.
#include "json_out.h"
#include <cstdio>

static void BeginValue(JsonOut &json) {
    if (json.afterKey) {
        json.afterKey = false;
        return;
    }
    if (!json.hasItems.empty()) {
        if (json.hasItems.back()) {
            json.text += L',';
        }
        json.hasItems.back() = true;
    }
}

static void Open(JsonOut &json, wchar_t bracket) {
    BeginValue(json);
    json.text += bracket;
    json.hasItems.push_back(false);
}

static void Close(JsonOut &json, wchar_t bracket) {
    json.hasItems.pop_back();
    json.text += bracket;
}

void JsonBeginObject(JsonOut &json) {
    Open(json, L'{');
}

void JsonEndObject(JsonOut &json) {
    Close(json, L'}');
}

void JsonBeginArray(JsonOut &json) {
    Open(json, L'[');
}

void JsonEndArray(JsonOut &json) {
    Close(json, L']');
}

static void AppendQuoted(std::wstring &out, const std::wstring &value) {
    out += L'"';
    for (wchar_t c : value) {
        switch (c) {
        case L'"':
            out += L"\\\"";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\t':
            out += L"\\t";
            break;
        default:
            if (c < 0x20) {
                wchar_t escaped[8];
                swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += L'"';
}

void JsonKey(JsonOut &json, const wchar_t *name) {
    BeginValue(json);
    AppendQuoted(json.text, name);
    json.text += L':';
    json.afterKey = true;
}

void JsonString(JsonOut &json, const std::wstring &value) {
    BeginValue(json);
    AppendQuoted(json.text, value);
}

void JsonInt(JsonOut &json, long long value) {
    BeginValue(json);
    json.text += std::to_wstring(value);
}

void JsonBool(JsonOut &json, bool value) {
    BeginValue(json);
    json.text += value ? L"true" : L"false";
}

void JsonNull(JsonOut &json) {
    BeginValue(json);
    json.text += L"null";
}

void JsonHex(JsonOut &json, unsigned long long value) {
    wchar_t digits[24];
    swprintf(digits, 24, L"0x%llx", value);
    JsonString(json, digits);
}

void JsonHandle(JsonOut &json, HWND window) {
    if (window == NULL) {
        JsonNull(json);
    } else {
        JsonHex(json, reinterpret_cast<ULONG_PTR>(window));
    }
}

void JsonRect(JsonOut &json, const RECT &rect) {
    JsonBeginArray(json);
    JsonInt(json, rect.left);
    JsonInt(json, rect.top);
    JsonInt(json, rect.right);
    JsonInt(json, rect.bottom);
    JsonEndArray(json);
}

void JsonPair(JsonOut &json, long first, long second) {
    JsonBeginArray(json);
    JsonInt(json, first);
    JsonInt(json, second);
    JsonEndArray(json);
}

bool WriteOutput(DWORD stdHandle, const std::wstring &text) {
    if (text.empty()) {
        return true;
    }
    HANDLE out = GetStdHandle(stdHandle);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        // Someone reading at a terminal: a console takes UTF-16 whatever its code page.
        DWORD written = 0;
        return WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, NULL) !=
               FALSE;
    }
    int wideLength = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, NULL, 0, NULL, NULL);
    if (size <= 0) {
        return false;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, &bytes[0], size, NULL, NULL);
    DWORD offset = 0;
    while (offset < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset),
                       &written, NULL) ||
            written == 0) {
            return false;
        }
        offset += written;
    }
    return true;
}
