// The PC setup program's rules the Wine tests can't reach: the registry value's edge cases, the
// command line's refusals and the reading of the .ini.
#include "setup/setup_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(AppPathLength, NamesAProgramOnlyWhenTerminatedNonEmptyText) {
    const std::u16string path(u"C:\\a.exe\0junk", 13); // a terminator after 8 characters
    const struct {
        const char *what;
        unsigned long type, bytes;
        size_t length;
    } cases[] = {
        {"terminated", AppPathValueType, 18, 8},
        {"text ends at the terminator", 1, 26, 8},
        {"unterminated", AppPathValueType, 16, 0},
        {"odd size cuts the terminator", 1, 17, 0},
        {"no data", AppPathValueType, 0, 0},
        {"an expandable string", 2, 18, 0},
        {"a number", 4, 18, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.length, AppPathLength(c.type, path.data(), c.bytes)) << c.what;
    }
    EXPECT_EQ(0u, AppPathLength(AppPathValueType, u"\0", 2)) << "empty";
}

TEST(QuotedCommandLine, RefusesWhatCannotBeQuotedOrDoesNotFit) {
    const struct {
        const char16_t *program, *argument;
        size_t capacity;
        bool made;
    } cases[] = {
        {u"a", u"b", 8, true},
        {u"a", u"b", 7, false},
        {u"a\"", u"b", 99, false},
        {u"a", u"\"b", 99, false},
    };
    for (const auto &c : cases) {
        char16_t out[99];
        EXPECT_EQ(c.made, QuotedCommandLine(c.program, c.argument, out, c.capacity)) << c.capacity;
    }
}

// Shift-JIS "説明" ends with 0x5D (']') as a trail byte; a line of it must not end a section.
const std::string Ini = "[CEAppManager]\r\nComponent = PHSTools\r\n\r\n[PHSTools]\r\n"
                        "Description = \x90\xe0\x96\xbe]\r\ncabfiles\t=  a.cab , b.cab  \r\n"
                        "[Other]\nKey = other\n";

TEST(IniValue, FindsKeysOfTheirOwnSectionByWholeNamesOnly) {
    const struct {
        const char *section, *key;
        size_t capacity;
        const char *value; // nullptr: not found
    } cases[] = {
        {"ceappmanager", "COMPONENT", 64, "PHSTools"},
        {"PHSTools", "CabFiles", 64, "a.cab , b.cab"},
        {"PHSTools", "Component", 64, nullptr},
        {"Other", "Key", 64, "other"},
        {"Missing", "Key", 64, nullptr},
        // Whole names only: one that begins the asked name, or extends it, is another name.
        {"PHSTools", "CabFilesX", 64, nullptr},
        {"PHSTools", "CabFile", 64, nullptr},
        {"OtherSection", "Key", 64, nullptr},
        {"PHSTool", "CabFiles", 64, nullptr},
        {"CEAppManager", "Component", 8, nullptr},
    };
    for (const auto &c : cases) {
        char out[64] = "";
        EXPECT_EQ(c.value != nullptr,
                  IniValue(Ini.data(), Ini.size(), c.section, c.key, out, c.capacity))
            << c.section << " " << c.key;
        EXPECT_STREQ(c.value ? c.value : "", out) << c.section << " " << c.key;
    }
}

TEST(NextListItem, SplitsAtCommasWithoutTheSpacesUpToAnEmptyItem) {
    const struct {
        const char *list;
        std::vector<std::string> items;
    } cases[] = {{" a.cab , b.cab", {"a.cab", "b.cab"}}, {"", {}}, {"a.cab,,b.cab", {"a.cab"}}};
    for (const auto &c : cases) {
        std::vector<std::string> items;
        char out[32];
        for (size_t position = 0; NextListItem(c.list, &position, out, sizeof out);) {
            items.push_back(out);
        }
        EXPECT_EQ(c.items, items) << c.list;
    }
}

} // namespace
