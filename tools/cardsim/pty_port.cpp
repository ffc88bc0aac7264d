// Pseudo-terminal and link handling for the card's port.
#include "pty_port.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "line_settings.h"

namespace {

std::string Why(const char *what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Points `link` at `target` in one step, so a tool never finds it missing or half made.
bool ReplaceLink(const std::string &target, const std::string &link, std::string *error) {
    struct stat st;
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = link + " exists and is not a symlink";
        return false;
    }
    std::string temp = link + ".new";
    (void)unlink(temp.c_str()); // a leftover from an earlier run, if any
    if (symlink(target.c_str(), temp.c_str()) != 0) {
        *error = Why(("symlink " + temp).c_str());
        return false;
    }
    if (rename(temp.c_str(), link.c_str()) != 0) {
        *error = Why(("rename to " + link).c_str());
        (void)unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

bool OpenPtyPort(const std::string &link, PtyPort *port, std::string *error, std::string *warning) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        *error = Why("posix_openpt");
        return false;
    }
    const char *slave = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || (slave = ptsname(master)) == nullptr) {
        *error = Why("pty setup");
        close(master);
        return false;
    }
    std::string slave_name = slave;
    (void)fcntl(master, F_SETFD, FD_CLOEXEC); // wine children must not inherit the card

    struct termios settings;
    if (tcgetattr(master, &settings) == 0) {
        cfmakeraw(&settings);
        (void)tcsetattr(master, TCSANOW, &settings); // raw is best effort; the tool sets its own
    }
    // Until the slave has been opened once the master reports no hang-up; open and close it so
    // "nobody holds the port" reads the same before the first tool as after the last.
    int primer = open(slave_name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (primer >= 0)
        close(primer);

    TtyKeeper keeper;
    warning->clear();
    if (!StartTtyKeeper(slave_name, &keeper))
        *warning = "could not claim " + slave_name + " as a controlling terminal";

    if (!ReplaceLink(slave_name, link, error)) {
        close(master);
        StopTtyKeeper(&keeper);
        return false;
    }
    port->keeper = keeper;
    port->master = master;
    port->slave = slave_name;
    port->link = link;
    return true;
}

void ClosePtyPort(PtyPort *port) {
    if (port->master >= 0)
        close(port->master);
    port->master = -1;
    StopTtyKeeper(&port->keeper); // after the hang-up, which it ignores
    char target[256];
    ssize_t n = readlink(port->link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == port->slave)
        (void)unlink(port->link.c_str()); // leave a link someone else has repointed alone
    port->slave.clear();
}

void DiscardUnread(const PtyPort &port) {
    if (port.master < 0)
        return;
    // The unread bytes sit in the slave's input queue; only the slave side can flush them.
    int slave = open(port.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        return;
    (void)tcflush(slave, TCIFLUSH);
    close(slave);
}

bool SlaveHeld(const PtyPort &port) {
    if (port.master < 0)
        return false;
    struct pollfd pfd = {port.master, 0, 0};
    if (poll(&pfd, 1, 0) < 0)
        return false;
    return !(pfd.revents & POLLHUP);
}

bool ReadLineSettings(const PtyPort &port, std::string *text, std::string *error) {
    struct termios settings;
    if (port.master < 0) {
        *error = "card removed";
        return false;
    }
    if (tcgetattr(port.master, &settings) != 0) {
        *error = Why("tcgetattr");
        return false;
    }
    *text = DescribeLineSettings(settings);
    return true;
}
