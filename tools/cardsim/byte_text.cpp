// Hex, escapes and code page 932 conversion for the card's byte strings.
#include "byte_text.h"

#include <iconv.h>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Converts all of `in` or nothing; iconv stops at the first character it cannot map.
bool Convert(const char *to, const char *from, const std::string &in, std::string *out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string result(in.size() * 4 + 16, '\0');
    char *src = const_cast<char *>(in.data());
    size_t src_left = in.size();
    char *dst = &result[0];
    size_t dst_left = result.size();
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    bool ok = rc != static_cast<size_t>(-1) && src_left == 0;
    if (ok)
        ok = iconv(cd, nullptr, nullptr, &dst, &dst_left) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return false;
    result.resize(result.size() - dst_left);
    *out = result;
    return true;
}

} // namespace

std::string HexOf(const std::string &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

bool ParseHex(const std::string &hex, std::string *bytes) {
    if (hex.size() % 2 != 0)
        return false;
    std::string result;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]);
        int lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        result += static_cast<char>(hi * 16 + lo);
    }
    *bytes = result;
    return true;
}

bool ParseEscaped(const std::string &text, std::string *bytes) {
    std::string result;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case 'r':
            result += '\r';
            break;
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case '0':
            result += '\0';
            break;
        case '\\':
            result += '\\';
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return false;
            int hi = HexDigit(text[i + 1]);
            int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            result += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    *bytes = result;
    return true;
}

std::string EscapedOf(const std::string &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        switch (c) {
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\0':
            text += "\\0";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                text += static_cast<char>(c);
            } else {
                text += "\\x";
                text += digits[c >> 4];
                text += digits[c & 15];
            }
        }
    }
    return text;
}

bool Utf8ToCp932(const std::string &utf8, std::string *cp932) {
    return Convert("CP932", "UTF-8", utf8, cp932);
}

bool Cp932ToUtf8(const std::string &cp932, std::string *utf8) {
    return Convert("UTF-8", "CP932", cp932, utf8);
}

bool ParseCardText(const std::string &text, std::string *bytes, std::string *error) {
    if (text.compare(0, 4, "hex:") == 0) {
        if (!ParseHex(text.substr(4), bytes)) {
            *error = "bad hex bytes: " + text.substr(4);
            return false;
        }
        return true;
    }
    if (!Utf8ToCp932(text, bytes)) {
        *error = "text has characters outside code page 932: " + text;
        return false;
    }
    return true;
}

bool ParseByteSpec(const std::string &text, std::string *bytes, std::string *error) {
    if (text.compare(0, 4, "hex:") == 0) {
        if (!ParseHex(text.substr(4), bytes)) {
            *error = "bad hex bytes: " + text.substr(4);
            return false;
        }
        return true;
    }
    if (!ParseEscaped(text, bytes)) {
        *error = "bad escape in: " + text;
        return false;
    }
    return true;
}

std::string DisplayOf(const std::string &bytes) {
    bool printable = true;
    for (unsigned char c : bytes)
        if (c < 0x20 || c == 0x7F)
            printable = false;
    std::string utf8;
    if (printable && Cp932ToUtf8(bytes, &utf8))
        return utf8;
    return "hex:" + HexOf(bytes);
}
