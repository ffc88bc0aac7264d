// Taking registry string values into fixed buffers.
#include "common/registry_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const unsigned long Binary = 3;
const unsigned long MultiString = 7;

struct ValueCase {
    const char *what;
    std::u16string data; // value data as stored, possibly without a terminator
    unsigned long type;
    size_t capacity; // buffer units
    size_t maxChars;
    bool accepted;
    std::u16string text; // expected text when accepted
};

const ValueCase ValueCases[] = {
    {"terminated name", std::u16string(u"COM3:\0", 6), RegistryStringType, 129, 11, true, u"COM3:"},
    {"unterminated name", u"COM3:", RegistryStringType, 129, 11, true, u"COM3:"},
    {"text stops at first terminator", std::u16string(u"COM3:\0junk", 10), RegistryStringType, 129,
     11, true, u"COM3:"},
    {"eleven characters fit", u"ABCDEFGHIJK", RegistryStringType, 129, 11, true, u"ABCDEFGHIJK"},
    {"twelve characters refused", u"ABCDEFGHIJKL", RegistryStringType, 129, 11, false, u""},
    {"not a string", u"COM3:", Binary, 129, 11, false, u""},
    {"multi-string refused", std::u16string(u"COM3:\0\0", 7), MultiString, 129, 11, false, u""},
    {"data filling the whole buffer", std::u16string(128, u'x'), RegistryStringType, 128, 200,
     false, u""},
    {"data one short of the buffer", std::u16string(127, u'x'), RegistryStringType, 128, 200, true,
     std::u16string(127, u'x')},
    {"empty value", u"", RegistryStringType, 129, 11, true, u""},
};

TEST(TerminateRegistryString, AcceptsOnlyTerminableStringsThatFit) {
    for (const ValueCase &c : ValueCases) {
        std::u16string buffer(c.capacity, u'#');
        size_t copied = c.data.size() < c.capacity ? c.data.size() : c.capacity;
        buffer.replace(0, copied, c.data.substr(0, copied));
        unsigned long bytes = static_cast<unsigned long>(c.data.size() * sizeof(char16_t));
        bool accepted = TerminateRegistryString(&buffer[0], c.capacity, c.type, bytes, c.maxChars);
        EXPECT_EQ(accepted, c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(std::u16string(buffer.c_str()), c.text) << c.what;
        }
    }
}

TEST(TerminateRegistryString, OddByteCountDropsTheHalfCharacter) {
    char16_t buffer[8] = {u'C', u'O', u'M', u'1', u':', u'#', u'#', u'#'};
    ASSERT_TRUE(TerminateRegistryString(buffer, 8, RegistryStringType, 11, 11));
    EXPECT_EQ(std::u16string(buffer), u"COM1:");
}

} // namespace
