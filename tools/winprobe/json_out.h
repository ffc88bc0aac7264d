// The probe's answers as JSON values (nlohmann/json) and their output on the standard handles.
#pragma once
#include <windows.h>
#include <string>

#include <nlohmann/json.hpp>

// Members keep the order they were added in, which is the order the answers are documented in.
using Json = nlohmann::ordered_json;

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8Of(const std::wstring &text);

Json JsonText(const std::wstring &text);
// Handles, styles and other bit sets are written as "0x..." strings.
Json JsonHex(unsigned long long value);
Json JsonHandle(HWND window); // null for a null handle
Json JsonRect(const RECT &rect);
Json JsonPair(long first, long second);

// Compact JSON, characters beyond ASCII as UTF-8.
std::string JsonDump(const Json &value);

// Writes UTF-8 bytes to a pipe or file (whatever the console code page), UTF-16 to a
// console.
bool WriteOutput(DWORD stdHandle, const std::string &utf8);
