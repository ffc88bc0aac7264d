// fork/exec and reaping for the wine runs.
#include "child_process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int StatusOf(int raw) {
    if (WIFEXITED(raw))
        return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw))
        return 128 + WTERMSIG(raw);
    return 255;
}

} // namespace

pid_t StartChild(const std::vector<std::string> &argv, const std::vector<std::string> &env) {
    if (argv.empty())
        return -1;
    // Everything the child needs is prepared before fork: only async-signal-safe calls after it.
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char *> envp;
    for (char **entry = environ; *entry != nullptr; entry++) {
        std::string name(*entry, std::strcspn(*entry, "=") + 1);
        bool replaced = false;
        for (const std::string &added : env)
            replaced = replaced || added.compare(0, name.size(), name) == 0;
        if (!replaced)
            envp.push_back(*entry);
    }
    for (const std::string &added : env)
        envp.push_back(const_cast<char *>(added.c_str()));
    envp.push_back(nullptr);

    pid_t pid = fork();
    if (pid != 0)
        return pid;
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
}

bool ChildEnded(pid_t pid, int *status) {
    int raw = 0;
    pid_t got = waitpid(pid, &raw, WNOHANG);
    if (got == 0)
        return false;
    *status = got == pid ? StatusOf(raw) : 255;
    return true;
}

int WaitChild(pid_t pid) {
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR)
            return 255;
    }
    return StatusOf(raw);
}
