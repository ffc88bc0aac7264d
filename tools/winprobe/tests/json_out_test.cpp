// The probe's JSON values, their text and their output to a file.
#include <gtest/gtest.h>
#include "json_out.h"
#include <climits>

namespace {

TEST(JsonDump, EscapesControlsAndKeepsEveryOtherCharacter) {
    const struct {
        std::wstring text;
        const char *expected;
    } cases[] = {
        {L"", "\"\""},
        {L"quote\" back\\", "\"quote\\\" back\\\\\""},
        {L"\t\r\n\b\f", "\"\\t\\r\\n\\b\\f\""},
        {std::wstring(L"\x00\x01\x1b\x1f\x7f", 5), "\"\\u0000\\u0001\\u001b\\u001f\x7f\""},
        {L"\x8d64\x5916\x7dda \xa0\x85\x2028",
         "\"\xE8\xB5\xA4\xE5\xA4\x96\xE7\xB7\x9A \xC2\xA0\xC2\x85"
         "\xE2\x80\xA8\""},
        {L"\xd83d\xdcf6", "\"\xF0\x9F\x93\xB6\""},
        {L"a\xd800z\xdc00", "\"a\xEF\xBF\xBDz\xEF\xBF\xBD\""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(JsonDump(JsonText(c.text)), c.expected);
    }
}

TEST(JsonDump, WritesValuesAsTheProbeDocumentsThem) {
    const RECT rect = {-3, 0, 240, 320};
    const struct {
        Json value;
        const char *expected;
    } cases[] = {
        {JsonHex(0), "\"0x0\""},
        {JsonHex(0x94c80ac4u), "\"0x94c80ac4\""},
        {JsonHex(ULLONG_MAX), "\"0xffffffffffffffff\""},
        {JsonHandle(NULL), "null"},
        {JsonHandle(reinterpret_cast<HWND>(0x100dc)), "\"0x100dc\""},
        {JsonRect(rect), "[-3,0,240,320]"},
        {JsonPair(217, -293), "[217,-293]"},
        {Json::array(), "[]"},
        {Json(-1), "-1"},
        {Json(static_cast<DWORD>(0xFFFFFFFFu)), "4294967295"},
        {Json(true), "true"},
        {Json(), "null"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(JsonDump(c.value), c.expected);
    }
}

TEST(JsonDump, KeepsMembersInTheOrderTheyWereAdded) {
    Json answer = Json::object();
    answer["hwnd"] = JsonHandle(reinterpret_cast<HWND>(0x2a));
    answer["id"] = 1004;
    answer["control"] = nullptr;
    answer["index"] = 0;
    answer["entries"] = Json::array({JsonText(L"COM3"), Json()});
    EXPECT_EQ(JsonDump(answer),
              "{\"hwnd\":\"0x2a\",\"id\":1004,\"control\":null,\"index\":0,\"entries\":"
              "[\"COM3\",null]}");
}

TEST(WriteOutput, WritesTheBytesToAFile) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"wpj", 0, path), 0u);
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, file);
    const std::string line = "{\"title\":\"\xE8\xB5\xA4\\u0001\"}\n";
    bool written = WriteOutput(STD_OUTPUT_HANDLE, line);
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    EXPECT_TRUE(written);
    char back[64] = {0};
    DWORD read = 0;
    SetFilePointer(file, 0, NULL, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(file, back, sizeof back, &read, NULL));
    CloseHandle(file);
    EXPECT_EQ(std::string(back, read), line);
}

} // namespace
