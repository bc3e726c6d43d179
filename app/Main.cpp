#include <windows.h>

#include "crash/CrashHandler.h"

// The crash handler is the first static object of the program, so that it is constructed (and
// installs its filter) before every other one. It lives here, in the entry routine's file, because
// the order of construction is fixed only within one file, and because an object in a library
// member that nothing references would not be linked at all.
static C_CrashHandler s_crashHandler;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    (void)instance;
    return 0;
}
