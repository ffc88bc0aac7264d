// The signal dialog's pictures: ten signal pictures and two service badges, created once as
// bitmap static controls stacked on two rectangles, of which one picture and at most one badge
// are shown at a time.
#pragma once

#include "../common/wince_compat.h"
#include "signal_rules.h"

// Window of each picture, indexed by picture 0..9; NULL while not created.
extern HWND SignalPictures[SignalPictureCount];
// Window of each badge: BadgePublic (KOUSHU) and BadgePrivate (JIEI); NULL while not created.
extern HWND ModeBadges[ModeBadgeCount];

// Creates the twelve windows in the dialog, each with its bitmap; only picture 8 is visible.
void CreateSignalPictures(HWND dialog);

// Shows picture (0..9, not checked) and hides every other picture; shows badge when it is
// BadgePublic or BadgePrivate and hides the badges otherwise.
void ShowSignalState(int picture, int badge);

// Destroys the twelve windows and their bitmaps and sets every slot back to NULL.
void DestroySignalPictures();
