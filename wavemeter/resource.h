// Resource identifiers of wavemeter.
#pragma once

#include "../common/shell_resource.h"

// Signal pictures and service badges; each picture window's control id equals its bitmap id.
#define IDB_SIGNAL_BARS_0 108
#define IDB_SIGNAL_BARS_1 109
#define IDB_SIGNAL_BARS_2 110
#define IDB_SIGNAL_BARS_3 111
#define IDB_SIGNAL_BARS_4 112
#define IDB_SIGNAL_BARS_5 113
#define IDB_SIGNAL_OUT_OF_AREA 114
#define IDB_SIGNAL_UNAVAILABLE 115
#define IDB_SIGNAL_ACQUIRING 116
#define IDB_BADGE_PUBLIC 117
#define IDB_BADGE_HOME 118
#define IDB_SIGNAL_TRANSCEIVER 119
