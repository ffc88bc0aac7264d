// Line settings read back from termios.
#include <gtest/gtest.h>

#include "line_settings.h"

namespace {

struct termios Settings(speed_t speed, tcflag_t cflag, tcflag_t iflag) {
    struct termios t = {};
    cfmakeraw(&t);
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS)) | cflag;
    t.c_iflag = (t.c_iflag & ~(IXON | IXOFF)) | iflag;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return t;
}

TEST(DescribeLineSettings, DecodesEachField) {
    const struct {
        speed_t speed;
        tcflag_t cflag, iflag;
        const char *expected;
    } cases[] = {
        {B115200, CS8, 0, "speed=115200 data=8 parity=none stop=1 rtscts=0 xonxoff=0"},
        {B9600, CS7 | PARENB, 0, "speed=9600 data=7 parity=even stop=1 rtscts=0 xonxoff=0"},
        {B19200, CS8 | PARENB | PARODD | CSTOPB, 0,
         "speed=19200 data=8 parity=odd stop=2 rtscts=0 xonxoff=0"},
        {B38400, CS8 | PARENB | PARODD | CMSPAR, 0,
         "speed=38400 data=8 parity=mark stop=1 rtscts=0 xonxoff=0"},
        {B38400, CS8 | PARENB | CMSPAR, 0,
         "speed=38400 data=8 parity=space stop=1 rtscts=0 xonxoff=0"},
        {B57600, CS5, 0, "speed=57600 data=5 parity=none stop=1 rtscts=0 xonxoff=0"},
        {B57600, CS6 | CRTSCTS, 0, "speed=57600 data=6 parity=none stop=1 rtscts=1 xonxoff=0"},
        {B115200, CS8, IXON, "speed=115200 data=8 parity=none stop=1 rtscts=0 xonxoff=1"},
        {B115200, CS8, IXOFF, "speed=115200 data=8 parity=none stop=1 rtscts=0 xonxoff=1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DescribeLineSettings(Settings(c.speed, c.cflag, c.iflag)), c.expected);
}

TEST(BaudOf, KnowsCommonSpeeds) {
    EXPECT_EQ(BaudOf(B115200), 115200u);
    EXPECT_EQ(BaudOf(B300), 300u);
    EXPECT_EQ(BaudOf(static_cast<speed_t>(0xFFFF)), 0u);
}

} // namespace
