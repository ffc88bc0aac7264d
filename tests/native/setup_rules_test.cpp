// The PC setup program's rules: the Application Manager's registry value, its command line, the
// .ini beside the program and read from it, and the message for what is missing.
#include "setup/setup_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const unsigned long Dword = 4;
const unsigned long ExpandString = 2;

TEST(AppPathLength, NamesAProgramOnlyWhenTerminatedNonEmptyText) {
    struct {
        const char *what;
        std::u16string data; // as stored, possibly without a terminator
        unsigned long type;
        unsigned long bytes; // the size the registry reports
        size_t length;
    } cases[] = {
        {"terminated path", std::u16string(u"C:\\a.exe\0", 9), AppPathValueType, 18, 8},
        {"text ends at the first terminator", std::u16string(u"C:\\a\0junk\0", 10),
         AppPathValueType, 20, 4},
        {"unterminated path", u"C:\\a.exe", AppPathValueType, 16, 0},
        {"terminator beyond the reported size", std::u16string(u"C:\\a.exe\0", 9), AppPathValueType,
         16, 0},
        {"odd size cuts the terminator", std::u16string(u"C:\\a.exe\0", 9), AppPathValueType, 17,
         0},
        {"empty value", std::u16string(u"\0", 1), AppPathValueType, 2, 0},
        {"no data at all", u"", AppPathValueType, 0, 0},
        {"a number", std::u16string(u"\x0001\0", 2), Dword, 4, 0},
        {"an expandable string", std::u16string(u"C:\\a.exe\0", 9), ExpandString, 18, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.length, AppPathLength(c.type, c.data.data(), c.bytes)) << c.what;
    }
}

TEST(QuotedCommandLine, QuotesBothPathsAndRefusesWhatCannotBeQuoted) {
    struct {
        const char16_t *program;
        const char16_t *argument;
        size_t capacity;
        const char16_t *line; // nullptr: refused
    } cases[] = {
        {u"C:\\Program Files\\CEAppMgr.exe", u"D:\\my files\\phs-tools.ini", 100,
         u"\"C:\\Program Files\\CEAppMgr.exe\" \"D:\\my files\\phs-tools.ini\""},
        {u"a", u"b", 8, u"\"a\" \"b\""},
        {u"a", u"b", 7, nullptr},
        {u"a\"b", u"c", 100, nullptr},
        {u"a", u"\"c", 100, nullptr},
    };
    for (const auto &c : cases) {
        char16_t out[100];
        bool made = QuotedCommandLine(c.program, c.argument, out, c.capacity);
        EXPECT_EQ(c.line != nullptr, made) << std::string(c.program, c.program + 1);
        if (made && c.line) {
            EXPECT_EQ(std::u16string(c.line), std::u16string(out));
        }
    }
}

TEST(PathBeside, ReplacesTheFileNameOfAFullPath) {
    struct {
        const char16_t *path;
        size_t capacity;
        const char16_t *beside; // nullptr: refused
    } cases[] = {
        {u"Z:\\dist\\setup.exe", 64, u"Z:\\dist\\phs-tools.ini"},
        {u"\\\\pc\\share\\setup.exe", 64, u"\\\\pc\\share\\phs-tools.ini"},
        {u"setup.exe", 64, nullptr},
        {u"Z:\\d\\setup.exe", 19, u"Z:\\d\\phs-tools.ini"},
        {u"Z:\\d\\setup.exe", 18, nullptr},
    };
    for (const auto &c : cases) {
        char16_t out[64];
        bool made = PathBeside(c.path, u"phs-tools.ini", out, c.capacity);
        EXPECT_EQ(c.beside != nullptr, made) << c.capacity;
        if (made && c.beside) {
            EXPECT_EQ(std::u16string(c.beside), std::u16string(out));
        }
    }
}

// Shift-JIS "説明" ends with 0x5D (']') as a trail byte; a line of it must not end a section.
const std::string Ini = "[CEAppManager]\r\n"
                        "Version = 1.0\r\n"
                        "Component = PHSTools\r\n"
                        "\r\n"
                        "[PHSTools]\r\n"
                        "Description = \x90\xe0\x96\xbe]\r\n"
                        "; CabFiles = old.cab\r\n"
                        "cabfiles\t=  phs-tools.cab , extra.cab  \r\n"
                        "[Other]\r\n"
                        "Key = other\n";

TEST(IniValue, FindsKeysOfTheirOwnSectionOnly) {
    struct {
        const char *section;
        const char *key;
        size_t capacity;
        const char *value; // nullptr: not found
    } cases[] = {
        {"CEAppManager", "Component", 64, "PHSTools"},
        {"ceappmanager", "VERSION", 64, "1.0"},
        {"PHSTools", "CabFiles", 64, "phs-tools.cab , extra.cab"},
        {"PHSTools", "Component", 64, nullptr},
        {"CEAppManager", "CabFiles", 64, nullptr},
        {"Other", "Key", 64, "other"},
        {"Missing", "Key", 64, nullptr},
        {"CEAppManager", "Component", 9, "PHSTools"},
        {"CEAppManager", "Component", 8, nullptr},
    };
    for (const auto &c : cases) {
        char out[64];
        bool found = IniValue(Ini.data(), Ini.size(), c.section, c.key, out, c.capacity);
        EXPECT_EQ(c.value != nullptr, found) << c.section << " " << c.key;
        if (found && c.value) {
            EXPECT_STREQ(c.value, out) << c.section << " " << c.key;
        }
    }
}

TEST(NextListItem, SplitsAtCommasWithoutTheSpaces) {
    struct {
        const char *list;
        std::vector<std::string> items; // taken until the first refusal
    } cases[] = {
        {"a.cab", {"a.cab"}},
        {" a.cab , b.cab ,c.cab", {"a.cab", "b.cab", "c.cab"}},
        {"", {}},
        {"a.cab,,b.cab", {"a.cab"}},
        {"a.cab,", {"a.cab"}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> items;
        char out[32];
        size_t position = 0;
        while (NextListItem(c.list, &position, out, sizeof out)) {
            items.push_back(out);
        }
        EXPECT_EQ(c.items, items) << c.list;
    }
}

TEST(FirstSetupProblem, FilesBeforeTheApplicationManagerEachWithItsMessage) {
    struct {
        bool ini, cabinets, appManager;
        SetupProblem problem;
        unsigned message;
    } cases[] = {
        {true, true, true, SetupReady, 0},
        {false, false, false, SetupNoIni, IDS_NO_INI},
        {false, true, true, SetupNoIni, IDS_NO_INI},
        {true, false, false, SetupNoCabinet, IDS_NO_CABINET},
        {true, true, false, SetupNoAppManager, IDS_NO_APP_MANAGER},
    };
    for (const auto &c : cases) {
        SetupProblem problem = FirstSetupProblem(c.ini, c.cabinets, c.appManager);
        EXPECT_EQ(c.problem, problem);
        EXPECT_EQ(c.message, MessageForProblem(problem));
        EXPECT_EQ(problem == SetupReady, ExitCodeForProblem(problem) == 0);
    }
}

} // namespace
