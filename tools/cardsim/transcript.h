// The transcript file: every chunk the card receives or sends and every event, one JSON line
// each, written at once.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "transcript_format.h"

// Opens (truncating) the transcript; without a path nothing is written.
bool OpenTranscript(const std::string &path, std::string *error);
void CloseTranscript();

void LogData(const char *dir, const std::string &bytes);
void LogEvent(const std::string &event,
              const std::vector<std::pair<std::string, std::string>> &fields = {});

// Milliseconds since the simulator started, on the monotonic clock.
long MonoMillis();
