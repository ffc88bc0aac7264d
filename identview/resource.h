// Resource and control identifiers of identview.
#pragma once

#include "../common/shell_resource.h"

#define IDC_PSID 1001
#define IDC_PHONE_NUMBER 1002
#define IDC_CARD_GROUP 1003
#define IDC_CARD_LINE1 1004
#define IDC_CARD_LINE2 1005

// Class atoms of the predefined controls in a dialog template. windres would store a quoted
// class name as text; the terminal's templates carry the atoms.
#define DLG_CLASS_BUTTON 0x0080
#define DLG_CLASS_STATIC 0x0082
