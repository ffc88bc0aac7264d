// Transcript JSON lines.
#include <gtest/gtest.h>

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
        {"データ", "\"データ\""},
        {"bad\x83", "\"bad\\u0083\""},
        {"\xE3\x83", "\"\\u00e3\\u0083\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JsonString(c.text), c.expected);
}

TEST(JsonBytes, OneCharacterPerByte) {
    EXPECT_EQ(JsonBytes("AT@M?\r"), "\"AT@M?\\r\"");
    EXPECT_EQ(JsonBytes("\x83\x66"), "\"\\u0083f\"");
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
         "\"hex\":\"83660D\",\"text\":\"\\u0083f\\r\",\"sjis\":\"デ\\r\"}"},
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
              "{\"t\":1733650000.123,\"mono\":2.500,\"event\":\"state\",\"change\":\"i3=データ\","
              "\"by\":\"ctl\"}");
}

} // namespace
