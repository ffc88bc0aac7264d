// Fault names, their arguments and their control-line form.
#include "faults.h"

#include "byte_text.h"

const char DefaultLeftover[] = "\r\nOK\r\n";

namespace {

const FaultInfo Infos[FaultKindCount] = {
    {FaultKind::NoEcho, "noecho", FaultArgs::None, 0, 0, 0, "noecho", "no echo"},
    {FaultKind::BadEcho, "badecho", FaultArgs::Offset, 0, 2, 0, "badecho [OFFSET=2]",
     "echo byte at OFFSET raised by one"},
    {FaultKind::LowerEcho, "lowerecho", FaultArgs::None, 0, 0, 0, "lowerecho",
     "echo in lower case"},
    {FaultKind::Leftover, "leftover", FaultArgs::Bytes, 0, 0, 0, "leftover [BYTES=\\r\\nOK\\r\\n]",
     "BYTES sent before the echo"},
    {FaultKind::Garbage, "garbage", FaultArgs::Length, 0, 0, 0, "garbage [LENGTH]",
     "noise instead of echo and answer"},
    {FaultKind::Zero, "zero", FaultArgs::Offset, 0, -1, 0, "zero [OFFSET]",
     "zero byte inserted (at the answer)"},
    {FaultKind::Long, "long", FaultArgs::Length, 0, 64, 0, "long [LENGTH=64]",
     "answer padded with # past LENGTH"},
    {FaultKind::Empty, "empty", FaultArgs::None, 0, 0, 0, "empty", "empty answer line"},
    {FaultKind::OkOnly, "okonly", FaultArgs::None, 0, 0, 0, "okonly", "just OK as the answer"},
    {FaultKind::Error, "error", FaultArgs::None, 0, 0, 0, "error", "ERROR even when known"},
    {FaultKind::Silent, "silent", FaultArgs::None, 0, 0, 0, "silent", "no reply at all"},
    {FaultKind::Delay, "delay", FaultArgs::Millis, 1, 0, 0, "delay MS", "reply after MS"},
    {FaultKind::Split, "split", FaultArgs::BytesAndMillis, 1, 0, 200, "split BYTES [MS=200]",
     "first BYTES, pause MS, rest"},
};

} // namespace

bool FaultSet::Any() const {
    for (const Fault &fault : items)
        if (fault.on)
            return true;
    return false;
}

const FaultInfo &InfoOf(FaultKind kind) {
    return Infos[static_cast<size_t>(kind)];
}

bool FaultByName(const std::string &name, FaultKind *kind) {
    for (const FaultInfo &info : Infos) {
        if (name == info.name) {
            *kind = info.kind;
            return true;
        }
    }
    return false;
}

std::string DescribeFault(FaultKind kind, const Fault &fault) {
    const FaultInfo &info = InfoOf(kind);
    std::string text = info.name;
    switch (info.args) {
    case FaultArgs::None:
        break;
    case FaultArgs::Offset:
        if (fault.arg1 >= 0)
            text += " " + std::to_string(fault.arg1);
        break;
    case FaultArgs::Bytes:
        text += " hex:" + HexOf(fault.bytes);
        break;
    case FaultArgs::Length:
    case FaultArgs::Millis:
        if (fault.arg1 > 0 || info.args == FaultArgs::Millis)
            text += " " + std::to_string(fault.arg1);
        break;
    case FaultArgs::BytesAndMillis:
        text += " " + std::to_string(fault.arg1) + " " + std::to_string(fault.arg2);
        break;
    }
    if (fault.remaining >= 0)
        text += " for " + std::to_string(fault.remaining);
    if (!fault.only.empty())
        text += " only " + fault.only;
    return text;
}

Fault DefaultFault(FaultKind kind) {
    const FaultInfo &info = InfoOf(kind);
    Fault fault;
    fault.on = true;
    fault.arg1 = info.default1;
    fault.arg2 = info.default2;
    if (kind == FaultKind::Leftover)
        fault.bytes = DefaultLeftover;
    return fault;
}
