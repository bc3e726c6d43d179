#include <windows.h>

#include "Resource.h"
#include "app/MainWindow.h"
#include "crash/CrashHandler.h"

// The crash handler is the first static object of the program, so that it is constructed (and
// installs its filter) before every other one. It lives here, in the entry routine's file, because
// the order of construction is fixed only within one file, and because an object in a library
// member that nothing references would not be linked at all.
static C_CrashHandler s_crashHandler;

// The main window owns every other object of the program; its construction makes no window, file,
// key or thread.
static C_MainWindow s_mainWindow;

// The program's whole life is the main window's modal run: 0 after a normal end, -1 when the
// window cannot be made.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)s_mainWindow.DoModal(instance, IDD_MAIN, 0);
}
