// JSON Lines for the transcript, written with nlohmann/json.
#include "transcript_format.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "byte_text.h"

namespace {

using Json = nlohmann::ordered_json;

// Length of the well-formed UTF-8 sequence at `i` (RFC 3629: no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0.
size_t Utf8Length(const std::string &s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    unsigned char low = 0x80, high = 0xBF; // bounds of the second byte
    size_t length = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : low;
        high = c == 0xED ? 0x9F : high;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : low;
        high = c == 0xF4 ? 0x8F : high;
    }
    if (length == 0 || i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; k++) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// The character U+0000..U+00FF that stands for a byte, in UTF-8.
void AppendByteChar(unsigned char c, std::string *out) {
    if (c < 0x80) {
        *out += static_cast<char>(c);
    } else {
        *out += static_cast<char>(0xC0 | c >> 6);
        *out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-8 text as it is, except that each byte outside a well-formed sequence becomes the
// character of the same number, so the library always gets valid UTF-8.
std::string WellFormed(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8Length(text, i);
        if (length > 0) {
            out.append(text, i, length);
            i += length;
        } else {
            AppendByteChar(static_cast<unsigned char>(text[i]), &out);
            i++;
        }
    }
    return out;
}

std::string ByteChars(const std::string &bytes) {
    std::string out;
    for (unsigned char c : bytes)
        AppendByteChar(c, &out);
    return out;
}

// Compact, every character beyond ASCII as a \u escape, so a line is ASCII and no reader can
// split it at a Unicode line separator. The input is valid UTF-8 already; `replace` only
// guarantees that dumping never throws.
std::string Dump(const Json &value) {
    return value.dump(-1, ' ', true, Json::error_handler_t::replace);
}

std::string Seconds(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", value);
    return buf;
}

// "t" and "mono" always with three decimals (the library would write the shortest form), then
// the body's members.
std::string Line(const Stamp &stamp, const Json &body) {
    return "{\"t\":" + Seconds(stamp.wall) + ",\"mono\":" + Seconds(stamp.mono) + "," +
           Dump(body).substr(1);
}

} // namespace

std::string JsonString(const std::string &utf8) {
    return Dump(WellFormed(utf8));
}

std::string JsonBytes(const std::string &bytes) {
    return Dump(ByteChars(bytes));
}

std::string DataEventLine(const Stamp &stamp, const char *dir, const std::string &bytes) {
    Json body = {{"event", "data"},
                 {"dir", WellFormed(dir)},
                 {"len", bytes.size()},
                 {"hex", HexOf(bytes)},
                 {"text", ByteChars(bytes)}};
    bool wide = false;
    for (unsigned char c : bytes)
        wide = wide || c >= 0x80;
    std::string utf8;
    if (wide && Cp932ToUtf8(bytes, &utf8))
        body["sjis"] = WellFormed(utf8);
    return Line(stamp, body);
}

std::string EventLine(const Stamp &stamp, const std::string &event,
                      const std::vector<std::pair<std::string, std::string>> &fields) {
    Json body = {{"event", WellFormed(event)}};
    for (const auto &field : fields)
        body[WellFormed(field.first)] = WellFormed(field.second);
    return Line(stamp, body);
}
