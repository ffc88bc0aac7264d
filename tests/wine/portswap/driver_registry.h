// Functions for tests that rebuild the registry keys portswap reads and writes in the simulated
// terminal: HKLM\Drivers\Active (active_drivers.h) and HKLM\Drivers\Builtin\IrDA. Failures
// report the caller's line.
#pragma once

#include "active_drivers.h"

// HKLM\Drivers\Builtin\IrDA: created with the given Index, or deleted.
void SetIrdaIndex(int line, DWORD index);
void DeleteIrdaKey();

// Index of HKLM\Drivers\Builtin\IrDA as stored: type and byte count come back too. Returns
// false when the key or the value is missing.
bool ReadIrdaIndex(DWORD &index, DWORD &type, DWORD &bytes);
