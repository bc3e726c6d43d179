#include <windows.h>

#include "Resource.h"
#include "crash/CrashHandler.h"
#include "ui/Dialog.h"

// The crash handler is the first static object of the program, so that it is constructed (and
// installs its filter) before every other one. It lives here, in the entry routine's file, because
// the order of construction is fixed only within one file, and because an object in a library
// member that nothing references would not be linked at all.
static C_CrashHandler s_crashHandler;

// The main window. Until its own class takes over, the dialog base runs its template alone: the
// layout, the menu bar and Esc to close.
static C_Dialog s_mainWindow;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)s_mainWindow.DoModal(instance, IDD_MAIN, 0);
}
