// Faults the card can be told to show in its replies, each on or off, optionally for a number
// of replies and for one command only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum class FaultKind {
    NoEcho,    // no echo of the command
    BadEcho,   // one echo byte changed (offset)
    LowerEcho, // echo in lower case
    Leftover,  // bytes sent before the echo
    Garbage,   // noise instead of echo and answer (length)
    Zero,      // a zero byte inserted into the reply (offset)
    Long,      // answer line padded until the reply exceeds a length
    Empty,     // empty answer line
    OkOnly,    // "OK" as the answer line
    Error,     // "ERROR" even for known commands
    Silent,    // no reply at all
    Delay,     // reply after a pause (ms)
    Split,     // first bytes, pause, rest (bytes, ms)
};

const size_t FaultKindCount = 13;

struct Fault {
    bool on = false;
    int remaining = -1; // replies left before the fault turns itself off; -1 for no limit
    std::string only;   // the command (without CR) it applies to; empty for all
    int arg1 = 0;
    int arg2 = 0;
    std::string bytes; // Leftover's bytes
};

struct FaultSet {
    std::array<Fault, FaultKindCount> items;
    uint32_t noise = 1; // state of the generator behind Garbage, so replies differ

    Fault &operator[](FaultKind kind) {
        return items[static_cast<size_t>(kind)];
    }
    const Fault &operator[](FaultKind kind) const {
        return items[static_cast<size_t>(kind)];
    }
    bool Any() const;
};

// What a fault takes after its name on a control line.
enum class FaultArgs { None, Offset, Bytes, Length, Millis, BytesAndMillis };

struct FaultInfo {
    FaultKind kind;
    const char *name;
    FaultArgs args;
    int min_args;
    int default1;
    int default2;
    const char *usage;
    const char *summary;
};

const FaultInfo &InfoOf(FaultKind kind);
bool FaultByName(const std::string &name, FaultKind *kind);

// The fault as the control line that sets it, e.g. "delay 1500 for 2 only ATI3".
std::string DescribeFault(FaultKind kind, const Fault &fault);

// A fault in its default shape, on, without count or command filter.
Fault DefaultFault(FaultKind kind);

// Default bytes of Leftover: the tail of an earlier reply.
extern const char DefaultLeftover[];
