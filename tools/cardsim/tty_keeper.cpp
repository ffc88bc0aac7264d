// The controlling-terminal keeper for the card's pseudo-terminal.
#include "tty_keeper.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int ReadyTimeoutMs = 2000;

// In the child: nothing but the two pipe ends survive; fds 0 and 1 carry them.
[[noreturn]] void KeeperMain(const std::string &slave, int hold, int ready) {
    if (dup2(hold, STDIN_FILENO) < 0 || dup2(ready, STDOUT_FILENO) < 0)
        _exit(1);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0)
        dup2(null, STDERR_FILENO);
    close_range(3, ~0U, 0);  // above all the master: a copy here would keep the card in
    signal(SIGHUP, SIG_IGN); // sent to this session when the card is removed
    signal(SIGINT, SIG_IGN); // Ctrl-C at a shell is for the simulator, which stops the keeper
    if (setsid() < 0)
        _exit(1);
    int fd = open(slave.c_str(), O_RDWR | O_NONBLOCK); // without O_NOCTTY on purpose
    if (fd < 0)
        _exit(1);
    close(fd);
    char byte = 1;
    if (write(STDOUT_FILENO, &byte, 1) != 1)
        _exit(1);
    close(STDOUT_FILENO);
    // Until the simulator closes its end, or dies.
    for (;;) {
        ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n == 0 || (n < 0 && errno != EINTR))
            _exit(0);
    }
}

} // namespace

bool StartTtyKeeper(const std::string &slave, TtyKeeper *keeper) {
    int hold[2], ready[2];
    if (pipe2(hold, O_CLOEXEC) != 0)
        return false;
    if (pipe2(ready, O_CLOEXEC) != 0) {
        close(hold[0]);
        close(hold[1]);
        return false;
    }
    pid_t pid = fork();
    if (pid == 0)
        KeeperMain(slave, hold[0], ready[1]);
    close(hold[0]);
    close(ready[1]);
    char byte = 0;
    bool ok = false;
    if (pid > 0) {
        struct pollfd pfd = {ready[0], POLLIN, 0};
        ok = poll(&pfd, 1, ReadyTimeoutMs) == 1 && read(ready[0], &byte, 1) == 1;
    }
    close(ready[0]);
    keeper->pid = pid;
    keeper->hold = hold[1];
    if (!ok)
        StopTtyKeeper(keeper);
    return ok;
}

void StopTtyKeeper(TtyKeeper *keeper) {
    if (keeper->hold >= 0)
        close(keeper->hold);
    keeper->hold = -1;
    if (keeper->pid > 0) {
        int status;
        while (waitpid(keeper->pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    keeper->pid = -1;
}
