// JSON Lines for the transcript.
#include "transcript_format.h"

#include <cstdio>

#include "byte_text.h"

namespace {

void AppendEscaped(unsigned code, std::string *out) {
    char buf[8];
    switch (code) {
    case '"':
        *out += "\\\"";
        return;
    case '\\':
        *out += "\\\\";
        return;
    case '\r':
        *out += "\\r";
        return;
    case '\n':
        *out += "\\n";
        return;
    case '\t':
        *out += "\\t";
        return;
    }
    if (code < 0x20 || code >= 0x7F) {
        std::snprintf(buf, sizeof buf, "\\u%04x", code);
        *out += buf;
    } else {
        *out += static_cast<char>(code);
    }
}

// Length of the valid UTF-8 sequence at `i`, or 0.
size_t Utf8Length(const std::string &s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (length == 0 || i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; k++)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

std::string Seconds(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", value);
    return buf;
}

std::string Head(const Stamp &stamp, const std::string &event) {
    return "{\"t\":" + Seconds(stamp.wall) + ",\"mono\":" + Seconds(stamp.mono) +
           ",\"event\":" + JsonString(event);
}

} // namespace

std::string JsonString(const std::string &utf8) {
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t length = c < 0x80 ? 0 : Utf8Length(utf8, i);
        if (length > 0) {
            out += utf8.substr(i, length);
            i += length;
        } else {
            AppendEscaped(c, &out);
            i++;
        }
    }
    return out + "\"";
}

std::string JsonBytes(const std::string &bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes)
        AppendEscaped(c, &out);
    return out + "\"";
}

std::string DataEventLine(const Stamp &stamp, const char *dir, const std::string &bytes) {
    std::string line = Head(stamp, "data") + ",\"dir\":" + JsonString(dir) +
                       ",\"len\":" + std::to_string(bytes.size()) + ",\"hex\":\"" + HexOf(bytes) +
                       "\",\"text\":" + JsonBytes(bytes);
    bool wide = false;
    for (unsigned char c : bytes)
        wide = wide || c >= 0x80;
    std::string utf8;
    if (wide && Cp932ToUtf8(bytes, &utf8))
        line += ",\"sjis\":" + JsonString(utf8);
    return line + "}";
}

std::string EventLine(const Stamp &stamp, const std::string &event,
                      const std::vector<std::pair<std::string, std::string>> &fields) {
    std::string line = Head(stamp, event);
    for (const auto &field : fields)
        line += "," + JsonString(field.first) + ":" + JsonString(field.second);
    return line + "}";
}
