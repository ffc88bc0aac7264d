// Finding the COM device of the card modem among the registry's active drivers.
#pragma once

#include "wince_compat.h"

// Units of the device name buffer: a name of at most 11 characters and its terminator.
const int ModemPortNameUnits = 12;

// Fills deviceName (ModemPortNameUnits units) with the card modem's device name, or with an
// empty string when no active driver entry belongs to the card modem.
void FindModemPort(WCHAR *deviceName);
