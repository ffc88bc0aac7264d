// Transcript JSON lines.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "transcript_format.h"

namespace {

const Stamp At = {1733650000.1234, 2.5};

TEST(JsonString, EscapesControlsAndKeepsUtf8) {
    const struct {
        std::string text;
        const char *expected;
    } cases[] = {
        {"plain", "\"plain\""},
        {"quote\" back\\", "\"quote\\\" back\\\\\""},
        {"AT\r\n\t", "\"AT\\r\\n\\t\""},
        {std::string("\0\x01\x7f", 3), "\"\\u0000\\u0001\\u007f\""},
        {"\b\f", "\"\\b\\f\""},
        {"データ", "\"\\u30c7\\u30fc\\u30bf\""},
        {"\xF0\x9F\x93\xB6", "\"\\ud83d\\udcf6\""},
        {"bad\x83", "\"bad\\u0083\""},
        {"\xE3\x83", "\"\\u00e3\\u0083\""},
        // Overlong, surrogate, beyond U+10FFFF, no such lead byte: each byte on its own.
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},
        {"\xE0\x80\xAF", "\"\\u00e0\\u0080\\u00af\""},
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
        {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},
        {"\xF5\x80\x80", "\"\\u00f5\\u0080\\u0080\""},
        {"\xFF\xE3\x83\x87", "\"\\u00ff\\u30c7\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JsonString(c.text), c.expected);
}

TEST(JsonBytes, OneCharacterPerByte) {
    EXPECT_EQ(JsonBytes("AT@M?\r"), "\"AT@M?\\r\"");
    EXPECT_EQ(JsonBytes("\x83\x66"), "\"\\u0083f\"");
}

// Code points of UTF-8 text.
std::vector<unsigned> CodePoints(const std::string &utf8) {
    std::vector<unsigned> points;
    for (size_t i = 0; i < utf8.size(); i++) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80)
            points.push_back(c);
        else if ((c & 0xC0) != 0x80)
            points.push_back(c & 0x1F);
        else
            points.back() = points.back() << 6 | (c & 0x3F);
    }
    return points;
}

TEST(JsonBytes, EveryByteComesBackAsItsCharacterInAsciiText) {
    std::string all;
    for (int c = 0; c < 256; c++)
        all += static_cast<char>(c);
    const std::string cases[] = {all, std::string("\0\"\\\x7f\xff", 5), "\x8C\xF6\r\n"};
    for (const auto &bytes : cases) {
        std::string literal = JsonBytes(bytes);
        for (unsigned char c : literal)
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << literal;
        std::vector<unsigned> expected(bytes.begin(), bytes.end());
        for (auto &point : expected)
            point &= 0xFF;
        EXPECT_EQ(CodePoints(nlohmann::json::parse(literal).get<std::string>()), expected);
    }
}

TEST(DataEventLine, CarriesHexTextAndShiftJisReading) {
    const struct {
        const char *dir;
        std::string bytes;
        const char *expected;
    } cases[] = {
        {"rx", "AT@M?\r",
         "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"data\",\"dir\":\"rx\",\"len\":6,"
         "\"hex\":\"4154404D3F0D\",\"text\":\"AT@M?\\r\"}"},
        {"tx", "\x83\x66\r",
         "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"data\",\"dir\":\"tx\",\"len\":3,"
         "\"hex\":\"83660D\",\"text\":\"\\u0083f\\r\",\"sjis\":\"\\u30c7\\r\"}"},
        {"tx", "\x83",
         "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"data\",\"dir\":\"tx\",\"len\":1,"
         "\"hex\":\"83\",\"text\":\"\\u0083\"}"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DataEventLine(At, c.dir, c.bytes), c.expected);
}

TEST(EventLine, AddsFieldsInOrder) {
    EXPECT_EQ(EventLine(At, "open", {}),
              "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"open\"}");
    EXPECT_EQ(EventLine(At, "state", {{"change", "i3=データ"}, {"by", "ctl"}}),
              "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"state\","
              "\"change\":\"i3=\\u30c7\\u30fc\\u30bf\",\"by\":\"ctl\"}");
    EXPECT_EQ(EventLine({0.0, 0.0004}, "command", {{"command", "AT\xE3"}}),
              "{\"t\":0.000,\"mono\":0.000,\"event\":\"command\",\"command\":\"AT\\u00e3\"}");
}

} // namespace
