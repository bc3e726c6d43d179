#pragma once

// Resources that only the ui test program carries; ids above the program's own.
#define IDB_TEST_DIM 901
#define IDB_TEST_MEDIUM 902
#define IDB_TEST_BRIGHT 903
#define IDB_TEST_PICTURE 904

#define IDD_TEST_CONTROLS 910

#define IDC_PICTURE 1001
#define IDC_LIST 1003
#define IDC_LINK_CENTRED 1004
#define IDC_LINK_RIGHT 1005
#define IDC_LINK_LEFT 1006
#define IDC_LINK_NARROW 1007
