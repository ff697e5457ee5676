#pragma once

#define IDD_MAIN 101
#define IDB_BACKGROUND 103
#define IDI_UPDATER 104

#define IDC_FILEBAR 1006
#define IDC_TOTALBAR 1007
