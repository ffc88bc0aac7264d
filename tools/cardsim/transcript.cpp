// Writing transcript lines with their time stamps.
#include "transcript.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

namespace {

int TranscriptFd = -1;

double Seconds(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

const double MonoStart = Seconds(CLOCK_MONOTONIC);

Stamp Now() {
    return Stamp{Seconds(CLOCK_REALTIME), Seconds(CLOCK_MONOTONIC) - MonoStart};
}

void WriteLine(const std::string &line) {
    if (TranscriptFd < 0)
        return;
    std::string text = line + "\n";
    // One write per line, so readers never see half a line.
    (void)write(TranscriptFd, text.data(), text.size());
}

} // namespace

bool OpenTranscript(const std::string &path, std::string *error) {
    if (path.empty())
        return true;
    TranscriptFd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (TranscriptFd < 0) {
        *error = "transcript " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void CloseTranscript() {
    if (TranscriptFd >= 0)
        close(TranscriptFd);
    TranscriptFd = -1;
}

void LogData(const char *dir, const std::string &bytes) {
    WriteLine(DataEventLine(Now(), dir, bytes));
}

void LogEvent(const std::string &event,
              const std::vector<std::pair<std::string, std::string>> &fields) {
    WriteLine(EventLine(Now(), event, fields));
}

long MonoMillis() {
    return static_cast<long>((Seconds(CLOCK_MONOTONIC) - MonoStart) * 1000.0);
}
