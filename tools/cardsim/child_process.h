// Running outside programs (wine) beside the serial loop.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Starts argv[0] (searched in PATH) with `env` added to the environment and its output
// discarded; -1 when it could not be started.
pid_t StartChild(const std::vector<std::string> &argv, const std::vector<std::string> &env);

// True once the child has ended; `status` is its exit code, or 128 + signal.
bool ChildEnded(pid_t pid, int *status);

// Waits for the child to end and returns its status.
int WaitChild(pid_t pid);
