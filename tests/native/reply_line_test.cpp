// Echo check and answer line of an AT exchange.
#include "common/reply_line.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

struct ReplyCase {
    const char *what;
    const char *command;
    const char *reply;
    int result;
    const char *line; // expected line when result is 1
};

const ReplyCase ReplyCases[] = {
    {"echo, answer, blank line, OK", "AT@M?\r", "AT@M?\r\r\n0\r\n\r\nOK\r\n", 1, "0"},
    {"exactly the echo", "AT@M?\r", "AT@M?\r", 1, ""},
    {"only line breaks after the echo", "AT@M?\r", "AT@M?\r\r\n\r\n\n\r", 1, ""},
    {"answer without a closing line break", "AT#Q5:0\r", "AT#Q5:0\r\r\n3", 1, "3"},
    {"answer ended by LF alone", "AT#Q5:2\r", "AT#Q5:2\r\n45\nOK", 1, "45"},
    {"only the first line counts", "AT@M?\r", "AT@M?\r\r\nA\r\nB\r\n", 1, "A"},
    {"spaces stay in the line", "AT@M?\r", "AT@M?\r\r\n 2 x\r\n", 1, " 2 x"},
    {"reply shorter than the command", "AT@M?\r", "AT@M", 0, nullptr},
    {"empty reply", "AT@M?\r", "", 0, nullptr},
    {"leftover bytes before the echo", "AT@M?\r", "OK\r\nAT@M?\r\r\n0\r\n", 0, nullptr},
    {"echo without its carriage return", "AT@M?\r", "AT@M?\n0\r\n", 0, nullptr},
    {"lower-case echo", "AT@M?\r", "at@m?\r\r\n0\r\n", 0, nullptr},
    {"altered echo", "AT#Q5:0\r", "AT#Q5:2\r\r\n4\r\n", 0, nullptr},
};

TEST(ExtractReplyLine, ChecksEchoAndTakesFirstLine) {
    for (const ReplyCase &c : ReplyCases) {
        char line[64];
        memset(line, '#', sizeof line);
        int result = ExtractReplyLine(c.command, c.reply, line);
        EXPECT_EQ(result, c.result) << c.what;
        if (c.result == 1) {
            EXPECT_STREQ(line, c.line) << c.what;
        } else {
            EXPECT_EQ(line[0], '#') << c.what << ": line buffer must stay untouched";
        }
    }
}

TEST(ExtractReplyLine, ZeroByteEndsTheReply) {
    // The reply is zero-terminated text: whatever follows a zero byte is not seen.
    const char reply[] = "AT@M?\r\r\n2\0\r\n9\r\n";
    char line[32];
    ASSERT_EQ(ExtractReplyLine("AT@M?\r", reply, line), 1);
    EXPECT_STREQ(line, "2");

    const char cutEcho[] = "AT@\0M?\r\r\n2\r\n";
    EXPECT_EQ(ExtractReplyLine("AT@M?\r", cutEcho, line), 0);
}

TEST(ExtractReplyLine, LineFitsInBufferAsLargeAsTheReply) {
    // A 32-byte reply whose answer line runs to its very end: the line needs at most
    // 32 - 6 bytes plus its terminator.
    char reply[33];
    memcpy(reply, "AT@M?\r", 6);
    memset(reply + 6, 'x', 26);
    reply[32] = 0;
    char line[33];
    memset(line, '#', sizeof line);
    ASSERT_EQ(ExtractReplyLine("AT@M?\r", reply, line), 1);
    EXPECT_EQ(strlen(line), 26u);
    EXPECT_EQ(line[27], '#');
}

} // namespace
