#pragma once

// Resource ids shared by the resource script and the code.
#define IDD_MAIN 101
#define IDI_PROGRAM 102
#define IDM_MAIN 103
#define IDD_ABOUT 104
#define IDB_ABOUT 106
#define IDI_ROW 108
#define IDD_PROGRESS 110
#define IDB_CELL_BRIGHT 111
#define IDB_CELL_DIM 112
#define IDB_CELL_MEDIUM 113
#define IDC_LINK_CURSOR 114
