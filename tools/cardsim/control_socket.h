// The control socket: a Unix-domain stream socket taking one text line per connection and
// answering with a status line ("OK" or "ERROR why"), then any output lines, then closing.
#pragma once

#include <string>
#include <vector>

// Listens at `path`, replacing a stale socket left there; non-blocking.
int ListenControl(const std::string &path, std::string *error);

// Sends the reply on a connection and closes it.
void AnswerControl(int fd, bool ok, const std::string &error,
                   const std::vector<std::string> &lines);

// The client side: sends `line`, prints the output lines on stdout and the error on stderr.
// Returns 0 for OK, 1 for ERROR, 2 when the simulator could not be reached or did not answer
// within timeout_ms.
int RunControlClient(const std::string &path, const std::string &line, int timeout_ms);
