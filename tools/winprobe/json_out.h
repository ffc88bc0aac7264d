// Builds compact JSON text in UTF-16 and writes it to a standard handle.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct JsonOut {
    std::wstring text;
    std::vector<bool> hasItems; // one entry per open object or array
    bool afterKey = false;
};

void JsonBeginObject(JsonOut &json);
void JsonEndObject(JsonOut &json);
void JsonBeginArray(JsonOut &json);
void JsonEndArray(JsonOut &json);
void JsonKey(JsonOut &json, const wchar_t *name);
void JsonString(JsonOut &json, const std::wstring &value);
void JsonInt(JsonOut &json, long long value);
void JsonBool(JsonOut &json, bool value);
void JsonNull(JsonOut &json);
// Handles, styles and other bit sets are written as "0x..." strings.
void JsonHex(JsonOut &json, unsigned long long value);
void JsonHandle(JsonOut &json, HWND window); // null for a null handle
void JsonRect(JsonOut &json, const RECT &rect);
void JsonPair(JsonOut &json, long first, long second);

// Writes UTF-8 bytes to a pipe or file (whatever the console code page), UTF-16 to a
// console.
bool WriteOutput(DWORD stdHandle, const std::wstring &text);
