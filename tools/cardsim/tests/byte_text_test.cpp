// Hex, escapes and code page 932 text.
#include <gtest/gtest.h>

#include "byte_text.h"

namespace {

TEST(Hex, RoundTripsAndRejectsMalformed) {
    const struct {
        const char *hex;
        bool ok;
        std::string bytes;
    } cases[] = {
        {"", true, ""},
        {"41540D", true, "AT\r"},
        {"00ff", true, std::string("\0\xff", 2)},
        {"8Cf6", true, "\x8C\xF6"},
        {"4", false, ""},
        {"4G", false, ""},
        {"41 54", false, ""},
    };
    for (const auto &c : cases) {
        std::string bytes = "unchanged";
        EXPECT_EQ(ParseHex(c.hex, &bytes), c.ok) << c.hex;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.hex;
            std::string upper = c.hex;
            for (char &ch : upper)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_EQ(HexOf(bytes), upper);
        }
    }
}

TEST(Escapes, ParseAndPrint) {
    const struct {
        const char *text;
        bool ok;
        std::string bytes;
    } cases[] = {
        {"plain", true, "plain"},  {"\\r\\nOK\\r\\n", true, "\r\nOK\r\n"},
        {"a\\\\b", true, "a\\b"},  {"\\x00\\x7f\\xFF", true, std::string("\0\x7f\xff", 3)},
        {"tab\\t", true, "tab\t"}, {"nul\\0", true, std::string("nul\0", 4)},
        {"\\", false, ""},         {"\\q", false, ""},
        {"\\x4", false, ""},       {"\\xZZ", false, ""},
    };
    for (const auto &c : cases) {
        std::string bytes;
        EXPECT_EQ(ParseEscaped(c.text, &bytes), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
            std::string again;
            EXPECT_TRUE(ParseEscaped(EscapedOf(bytes), &again));
            EXPECT_EQ(again, bytes) << c.text;
        }
    }
    EXPECT_EQ(EscapedOf(std::string("AT@M?\r\n\0\x82", 9)), "AT@M?\\r\\n\\0\\x82");
}

TEST(Cp932, ConvertsJapaneseBothWays) {
    const struct {
        const char *utf8;
        const char *cp932;
    } cases[] = {
        {"ATI3", "ATI3"},
        {"データ", "\x83\x66\x81\x5B\x83\x5E"},
        {"製造", "\x90\xBB\x91\xA2"},
        {"ｶﾅ", "\xB6\xC5"},
        {"①", "\x87\x40"}, // a code page 932 extension beyond plain Shift-JIS
    };
    for (const auto &c : cases) {
        std::string bytes, text;
        ASSERT_TRUE(Utf8ToCp932(c.utf8, &bytes)) << c.utf8;
        EXPECT_EQ(bytes, c.cp932) << c.utf8;
        ASSERT_TRUE(Cp932ToUtf8(bytes, &text));
        EXPECT_EQ(text, c.utf8);
    }
    std::string bytes;
    EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80", &bytes)); // emoji: no code page 932 form
    EXPECT_FALSE(Cp932ToUtf8("\x83", &bytes));             // lead byte without its trail
}

TEST(ParseCardText, TakesTextOrHex) {
    const struct {
        const char *text;
        bool ok;
        std::string bytes;
    } cases[] = {
        {"07012345678", true, "07012345678"},
        {"カード", true, "\x83\x4A\x81\x5B\x83\x68"},
        {"hex:8CF6", true, "\x8C\xF6"},
        {"hex:", true, ""},
        {"", true, ""},
        {"hex:8", false, ""},
        {"\xF0\x9F\x98\x80", false, ""},
    };
    for (const auto &c : cases) {
        std::string bytes, error;
        EXPECT_EQ(ParseCardText(c.text, &bytes, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(ParseByteSpec, TakesEscapesOrHex) {
    const struct {
        const char *text;
        bool ok;
        std::string bytes;
    } cases[] = {
        {"\\r\\nOK\\r\\n", true, "\r\nOK\r\n"},
        {"hex:0D0A", true, "\r\n"},
        {"hex:0D0", false, ""},
        {"\\y", false, ""},
    };
    for (const auto &c : cases) {
        std::string bytes, error;
        EXPECT_EQ(ParseByteSpec(c.text, &bytes, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

TEST(DisplayOf, ShowsTextOrHex) {
    const struct {
        std::string bytes;
        const char *expected;
    } cases[] = {
        {"2", "2"},
        {"\x83\x66\x81\x5B\x83\x5E", "データ"},
        {"", ""},
        {"a\rb", "hex:610D62"},
        {std::string("\0", 1), "hex:00"},
        {"\x83", "hex:83"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DisplayOf(c.bytes), c.expected);
}

} // namespace
