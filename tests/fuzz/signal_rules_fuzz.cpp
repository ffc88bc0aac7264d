// Fuzzes wavemeter's answer rules and decision table: any answer lines give a picture 0..9 and a
// badge that is public, private or none, and only the levels the mode needs are asked.
#include "wavemeter/signal_rules.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

static const uint8_t *Answers;
static size_t AnswerCount;
static size_t Asked;
static int AskedServices[4];

static int FuzzedLevel(int service) {
    if (Asked < 4) {
        AskedServices[Asked] = service;
    }
    char line[2] = {static_cast<char>(Asked < AnswerCount ? Answers[Asked] : 0), 0};
    ++Asked;
    return LevelFromAnswer(line);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) {
        return 0;
    }
    char modeLine[2] = {static_cast<char>(data[0]), 0};
    int mode = ModeFromAnswer(modeLine);
    Answers = data + 1;
    AnswerCount = size - 1;
    Asked = 0;
    SignalState state = DecideSignalState(mode, FuzzedLevel);
    if (state.picture < 0 || state.picture >= SignalPictureCount) {
        __builtin_trap();
    }
    if (state.badge != NoBadge && state.badge != BadgePublic && state.badge != BadgePrivate) {
        __builtin_trap();
    }
    if (state.picture == PictureOutOfArea && state.badge != NoBadge) {
        __builtin_trap(); // out of area never carries a badge
    }
    if (Asked > 2 ||
        (Asked == 2 && (AskedServices[0] != PublicService || AskedServices[1] != PrivateService))) {
        __builtin_trap(); // at most the public level, then the private one
    }
    return 0;
}
