// Transcript lines: one JSON object per event.
//
// Every object has "t" (seconds since the Unix epoch, ms precision), "mono" (seconds since the
// simulator started) and "event". Data events ("event":"data") add "dir" ("rx" from the tool,
// "tx" to it), "len", "hex" and "text" (the bytes as JSON text, one character per byte:
// U+0000..U+00FF, so the bytes come back with .encode("latin-1")); when the bytes hold valid
// code page 932 beyond ASCII, "sjis" has their UTF-8 reading.
//
// Lines are ASCII: nlohmann/json writes them with every other character as a \u escape.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct Stamp {
    double wall; // seconds since the Unix epoch
    double mono; // seconds since start
};

// A JSON string literal for UTF-8 text; bytes that are not well-formed UTF-8 are written as
// U+0080..U+00FF so the line stays valid JSON.
std::string JsonString(const std::string &utf8);

// A JSON string literal with one character per byte.
std::string JsonBytes(const std::string &bytes);

std::string DataEventLine(const Stamp &stamp, const char *dir, const std::string &bytes);

// Any other event; each field's value is UTF-8 text. A name given twice keeps its last value.
std::string EventLine(const Stamp &stamp, const std::string &event,
                      const std::vector<std::pair<std::string, std::string>> &fields);
