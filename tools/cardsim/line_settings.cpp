// Decoding termios into the line settings a tool asked for.
#include "line_settings.h"

namespace {

const struct {
    speed_t code;
    unsigned long baud;
} Speeds[] = {
    {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},
    {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},
    {B1800, 1800},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},
    {B38400, 38400},   {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800},
    {B500000, 500000}, {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

const char *ParityOf(const struct termios &settings) {
    if (!(settings.c_cflag & PARENB))
        return "none";
    bool odd = settings.c_cflag & PARODD;
#ifdef CMSPAR
    if (settings.c_cflag & CMSPAR)
        return odd ? "mark" : "space";
#endif
    return odd ? "odd" : "even";
}

int DataBitsOf(const struct termios &settings) {
    switch (settings.c_cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

unsigned long BaudOf(speed_t speed) {
    for (const auto &entry : Speeds)
        if (entry.code == speed)
            return entry.baud;
    return 0;
}

std::string DescribeLineSettings(const struct termios &settings) {
    std::string text = "speed=" + std::to_string(BaudOf(cfgetospeed(&settings)));
    text += " data=" + std::to_string(DataBitsOf(settings));
    text += std::string(" parity=") + ParityOf(settings);
    text += std::string(" stop=") + ((settings.c_cflag & CSTOPB) ? "2" : "1");
    text += std::string(" rtscts=") + ((settings.c_cflag & CRTSCTS) ? "1" : "0");
    text += std::string(" xonxoff=") + ((settings.c_iflag & (IXON | IXOFF)) ? "1" : "0");
    return text;
}
