// Resource identifiers of setup, the PC program that hands the cabinet to the Application
// Manager.
#pragma once

#define IDS_CAPTION 1
#define IDS_NO_APP_MANAGER 2
#define IDS_NO_INI 3
#define IDS_NO_CABINET 4

#define IDI_SETUP 101
