// Answer characters and the decision table of the signal poller.
#include "signal_rules.h"

int ModeFromAnswer(const char *line) {
    if (line[0] == 'a' || line[0] == 'A') {
        return ModeBoth;
    }
    return LevelFromAnswer(line);
}

int LevelFromAnswer(const char *line) {
    if (line[0] >= '0' && line[0] <= '9') {
        return line[0] - '0';
    }
    return -1;
}

// A level answered for one service: out of area carries no badge, and a level that is not a
// single digit counts as no answer, so the picture always lies within the ten pictures.
static SignalState LevelState(int level, int badge) {
    SignalState state = {PictureUnavailable, NoBadge};
    if (level == 0) {
        state.picture = PictureOutOfArea;
    } else if (level > 0 && level < SignalPictureCount) {
        state.picture = level;
        state.badge = badge;
    }
    return state;
}

SignalState DecideSignalState(int mode, LevelQuery queryLevel) {
    switch (mode) {
    case ModePublic:
        return LevelState(queryLevel(PublicService), BadgePublic);
    case ModePrivate:
        return LevelState(queryLevel(PrivateService), BadgePrivate);
    case ModeBoth: {
        // The private service is asked only when the public one is out of area.
        int level = queryLevel(PublicService);
        if (level == 0) {
            return LevelState(queryLevel(PrivateService), BadgePrivate);
        }
        return LevelState(level, BadgePublic);
    }
    case ModeTransceiverA:
    case ModeTransceiverB: {
        SignalState transceiver = {PictureTransceiver, NoBadge};
        return transceiver;
    }
    }
    // No answer, and the modes 1 and 5 to 9 that have no picture of their own.
    SignalState unavailable = {PictureUnavailable, NoBadge};
    return unavailable;
}
