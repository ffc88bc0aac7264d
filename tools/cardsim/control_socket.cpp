// Control socket server and client.
#include "control_socket.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool FillAddress(const std::string &path, struct sockaddr_un *addr, std::string *error) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) {
        *error = "socket path too long: " + path;
        return false;
    }
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void WriteAll(int fd, const std::string &data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            struct pollfd pfd = {fd, POLLOUT, 0};
            if (poll(&pfd, 1, 1000) <= 0)
                return; // a client that reads nothing loses the rest
            continue;
        }
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace

int ListenControl(const std::string &path, std::string *error) {
    struct sockaddr_un addr;
    if (!FillAddress(path, &addr, error))
        return -1;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *error = path + " exists and is not a socket";
            return -1;
        }
        (void)unlink(path.c_str());
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<struct sockaddr *>(&addr), sizeof addr) != 0 ||
        listen(fd, 8) != 0) {
        *error = "control socket " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

void AnswerControl(int fd, bool ok, const std::string &error,
                   const std::vector<std::string> &lines) {
    std::string text = ok ? "OK\n" : "ERROR " + error + "\n";
    for (const std::string &line : lines)
        text += line + "\n";
    WriteAll(fd, text);
    close(fd);
}

int RunControlClient(const std::string &path, const std::string &line, int timeout_ms) {
    struct sockaddr_un addr;
    std::string error;
    if (!FillAddress(path, &addr, &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 2;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<struct sockaddr *>(&addr), sizeof addr) != 0) {
        std::fprintf(stderr, "cardsim: cannot reach %s: %s\n", path.c_str(), std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return 2;
    }
    WriteAll(fd, line + "\n");
    (void)shutdown(fd, SHUT_WR); // the line is complete

    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string reply;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        struct pollfd pfd = {fd, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) == 0) {
            std::fprintf(stderr, "cardsim: no answer from %s\n", path.c_str());
            close(fd);
            return 2;
        }
        char buf[4096];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(buf, static_cast<size_t>(n));
    }
    close(fd);

    size_t end = reply.find('\n');
    if (end == std::string::npos) {
        std::fprintf(stderr, "cardsim: incomplete answer from %s\n", path.c_str());
        return 2;
    }
    std::string status = reply.substr(0, end);
    std::fwrite(reply.data() + end + 1, 1, reply.size() - end - 1, stdout);
    std::fflush(stdout);
    if (status == "OK")
        return 0;
    std::fprintf(stderr, "cardsim: %s\n",
                 status.compare(0, 6, "ERROR ") == 0 ? status.c_str() + 6 : status.c_str());
    return 1;
}
