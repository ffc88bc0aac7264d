// The identity line of identview's replies: echo check, first line, prefix and no-value text.
#include "identview/identity_line.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>

namespace {

struct LineCase {
    const char *what;
    const char *command;
    const char *reply;
    bool prefixed;
    int result;
    const char *line; // expected line when result is 1
};

// Shift-JIS: the ideographic space, and "カード" (card).
#define SPACE "\x81\x40"
#define CARD "\x83\x4A\x81\x5B\x83\x68"

const LineCase LineCases[] = {
    {"echo, line, blank line, OK", "ATI4\r", "ATI4\r\r\nPHS DATA\r\n\r\nOK\r\n", false, 1,
     "PHS DATA"},
    {"only the echo", "ATI4\r", "ATI4\r", false, 1, "--------"},
    {"only line breaks after the echo", "ATI5\r", "ATI5\r\r\n\n\r\n\r", false, 1, "--------"},
    {"OK as the line", "AT@Y\r", "AT@Y\r\r\nOK\r\n", false, 1, "--------"},
    {"OK as the line without a line break", "AT@Y\r", "AT@Y\r\r\nOK", false, 1, "--------"},
    {"line going on after OK", "ATI4\r", "ATI4\r\r\nOKAY\r\n", false, 1, "OKAY"},
    {"OK followed by a space", "ATI4\r", "ATI4\r\r\nOK \r\n", false, 1, "OK "},
    {"OK in lower case is a value", "ATI4\r", "ATI4\r\r\nok\r\n", false, 1, "ok"},
    {"leading spaces kept", "ATI6\r", "ATI6\r\r\n  070-1234\r\n", false, 1, "  070-1234"},
    {"tab and other bytes kept", "ATI6\r", "ATI6\r\r\n\t0#7 \r\n", false, 1, "\t0#7 "},
    {"LF alone before the line", "ATI6\r", "ATI6\r\n070\r\n", false, 1, "070"},
    {"many CR and LF in any order", "ATI6\r", "ATI6\r\n\r\r\n\n\r\n\r070\n", false, 1, "070"},
    {"line ended by CR alone", "ATI6\r", "ATI6\r\r\n070\rOK", false, 1, "070"},
    {"only the first line counts", "ATI6\r", "ATI6\r\r\nA\r\nB\r\n", false, 1, "A"},
    {"Shift-JIS line kept byte for byte", "ATI4\r", "ATI4\r\r\n" CARD "\r\nOK\r\n", false, 1, CARD},
    {"prefix in front of a line", "ATI3\r", "ATI3\r\r\nPHS CARD\r\n", true, 1, SPACE "PHS CARD"},
    {"prefix in front of a Shift-JIS line", "ATI3\r", "ATI3\r\r\n" CARD "\r\n", true, 1,
     SPACE CARD},
    {"prefix stays in front of OK's replacement", "ATI3\r", "ATI3\r\r\nOK\r\n", true, 1,
     SPACE "--------"},
    {"prefix stays in front of an empty line's replacement", "ATI3\r", "ATI3\r", true, 1,
     SPACE "--------"},
    {"empty reply", "ATI3\r", "", true, 0, nullptr},
    {"reply cut inside the echo", "ATI3\r", "ATI", false, 0, nullptr},
    {"echo without its carriage return", "ATI3\r", "ATI3\nX\r\n", false, 0, nullptr},
    {"leftover bytes before the echo", "ATI5\r", "XYZ\r\nATI5\r\r\nB\r\n", false, 0, nullptr},
    {"lower-case echo", "ATI5\r", "ati5\r\r\nB\r\n", false, 0, nullptr},
    {"echo of another command", "ATI5\r", "ATI4\r\r\nB\r\n", false, 0, nullptr},
};

TEST(ExtractIdentityLine, ChecksEchoAndTakesFirstLine) {
    for (const LineCase &c : LineCases) {
        char line[IdentityLineBytes];
        memset(line, '#', sizeof line);
        int result = ExtractIdentityLine(c.command, c.reply, line, c.prefixed);
        EXPECT_EQ(result, c.result) << c.what;
        if (c.result == 1) {
            EXPECT_STREQ(line, c.line) << c.what;
        } else {
            EXPECT_EQ(line[0], '#') << c.what << ": line buffer must stay untouched";
        }
    }
}

TEST(ExtractIdentityLine, ZeroByteEndsTheReply) {
    struct {
        const char *what;
        std::string reply;
        int result;
        const char *line;
    } cases[] = {
        {"zero inside the line", std::string("ATI4\r\r\nAB\0CD\r\n", 14), 1, "AB"},
        {"zero right after the line breaks", std::string("ATI4\r\r\n\0CD\r\n", 12), 1, "--------"},
        {"zero inside the echo", std::string("AT\0I4\r\r\nAB\r\n", 12), 0, nullptr},
    };
    for (const auto &c : cases) {
        char line[IdentityLineBytes];
        memset(line, '#', sizeof line);
        EXPECT_EQ(ExtractIdentityLine("ATI4\r", c.reply.c_str(), line, false), c.result) << c.what;
        if (c.result == 1) {
            EXPECT_STREQ(line, c.line) << c.what;
        }
    }
}

// The reply buffer as identview fills it: 64 bytes read, byte 63 forced to zero.
std::string CutReply(const std::string &received) {
    char reply[IdentityLineBytes];
    memset(reply, 0, sizeof reply);
    memcpy(reply, received.data(), std::min(received.size(), sizeof reply));
    reply[IdentityLineBytes - 1] = 0;
    return reply;
}

TEST(ExtractIdentityLine, LineCutWhereTheReplyEnds) {
    // Echo (5 bytes) and CR LF leave 56 bytes of the line inside the 63-byte reply.
    std::string longLine(80, 'x');
    for (int i = 0; i < 80; ++i) {
        longLine[i] = static_cast<char>('0' + i % 10);
    }
    struct {
        const char *what;
        bool prefixed;
        std::string expected;
    } cases[] = {
        {"without prefix", false, longLine.substr(0, 56)},
        {"with prefix", true, SPACE + longLine.substr(0, 56)},
    };
    for (const auto &c : cases) {
        std::string reply = CutReply("ATI4\r\r\n" + longLine + "\r\nOK\r\n");
        ASSERT_EQ(reply.size(), 63u);
        char line[IdentityLineBytes];
        ASSERT_EQ(ExtractIdentityLine("ATI4\r", reply.c_str(), line, c.prefixed), 1) << c.what;
        EXPECT_EQ(std::string(line), c.expected) << c.what;
    }

    // The longest line after a five-byte echo: 58 bytes, 60 with the prefix.
    std::string reply = CutReply("ATI3\r" + longLine);
    char line[IdentityLineBytes];
    ASSERT_EQ(ExtractIdentityLine("ATI3\r", reply.c_str(), line, true), 1);
    EXPECT_EQ(std::string(line), SPACE + longLine.substr(0, 58));
}

TEST(ExtractIdentityLine, LineStaysInsideItsBufferForAShortCommand) {
    // A one-byte command and a 63-byte reply would give 2 + 62 bytes and a terminator; the
    // line is cut so that it still ends inside its 64 bytes.
    struct {
        char line[IdentityLineBytes];
        char guard[8];
    } buffers;
    memset(&buffers, '#', sizeof buffers);
    std::string reply = CutReply("A" + std::string(70, 'y'));
    ASSERT_EQ(ExtractIdentityLine("A", reply.c_str(), buffers.line, true), 1);
    EXPECT_EQ(strlen(buffers.line), static_cast<size_t>(IdentityLineBytes - 1));
    EXPECT_EQ(std::string(buffers.line, 2), SPACE);
    for (char c : buffers.guard) {
        EXPECT_EQ(c, '#') << "written past the line buffer";
    }
}

} // namespace
