// What wavemeter makes of the card's answers: the answer characters of the mode and level
// queries, and the choice of picture and badge from the mode and the levels. No platform header,
// so the rules are tested natively.
#pragma once

// Picture indexes with a meaning of their own; 1 to 6 are the antenna with 0 to 5 bars.
const int PictureOutOfArea = 0;
const int PictureTransceiver = 7;
const int PictureAcquiring = 8;
const int PictureUnavailable = 9;
const int SignalPictureCount = 10;

// Badge indexes: the public service (KOUSHU), the private home service (JIEI), or none.
const int BadgePublic = 0;
const int BadgePrivate = 1;
const int NoBadge = -1;
const int ModeBadgeCount = 2;

// Service digits of the level command "AT#Q5:%c\r".
const int PublicService = 0;
const int PrivateService = 2;

// Service modes the card answers to "AT@M?\r" that the poller acts on.
const int ModePublic = 0;
const int ModePrivate = 2;
const int ModeTransceiverA = 3;
const int ModeTransceiverB = 4;
const int ModeBoth = 10;

struct SignalState {
    int picture;
    int badge;
};

// The mode in the first character of an answer line: '0'..'9' give 0..9, 'a' or 'A' gives 10,
// anything else (the empty line included) gives -1.
int ModeFromAnswer(const char *line);

// The reception level in the first character of an answer line: '0'..'9' give 0..9, anything
// else gives -1.
int LevelFromAnswer(const char *line);

// A level query: takes PublicService or PrivateService, returns 0..9 or -1 for no answer.
typedef int (*LevelQuery)(int service);

// Picture and badge for a mode (-1 for no answer). Asks queryLevel only for the levels that the
// mode needs: the public level in modes 0 and 10, the private level in mode 2, and in mode 10 the
// private level too when the public level is exactly 0. The picture is always 0..9.
SignalState DecideSignalState(int mode, LevelQuery queryLevel);
