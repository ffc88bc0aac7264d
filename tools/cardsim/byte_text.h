// Byte strings as the card sends them and the textual forms people and files use for them.
#pragma once

#include <string>

// "41540D" for "AT\r": two upper-case hex digits per byte.
std::string HexOf(const std::string &bytes);

// Reads an even number of hex digits (either case); false on anything else.
bool ParseHex(const std::string &hex, std::string *bytes);

// Reads text with C-style escapes: \r \n \t \0 \\ \xHH; other characters are taken as they are.
bool ParseEscaped(const std::string &text, std::string *bytes);

// Printable ASCII as it is, everything else as \r, \n, \t, \0 or \xHH; a backslash doubles.
std::string EscapedOf(const std::string &bytes);

// Code page 932 (Shift-JIS as the terminal uses it) from and to UTF-8; false when a character
// has no counterpart.
bool Utf8ToCp932(const std::string &utf8, std::string *cp932);
bool Cp932ToUtf8(const std::string &cp932, std::string *utf8);

// A value given on a control line: "hex:8CF6..." for raw bytes, otherwise UTF-8 text that the
// card sends in code page 932.
bool ParseCardText(const std::string &text, std::string *bytes, std::string *error);

// Bytes given on a control line: "hex:0D0A..." or text with C-style escapes.
bool ParseByteSpec(const std::string &text, std::string *bytes, std::string *error);

// How status lines show a value: the UTF-8 reading when the bytes are printable code page 932
// text, otherwise "hex:" and the bytes.
std::string DisplayOf(const std::string &bytes);
