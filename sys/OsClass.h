#pragma once

#include <windows.h>

// Operating-system class flags: at most one platform bit and at most one version bit.
enum OsClassFlags
{
    OS_NT = 0x0001,
    OS_9X = 0x0002,
    OS_WIN32S = 0x0004,
    OS_95 = 0x0010,
    OS_98 = 0x0020,
    OS_ME = 0x0040,
    OS_NT4 = 0x0080,
    OS_2000 = 0x0100,
    OS_XP = 0x0200,
    OS_95_OSR2 = 0x0400,
    OS_98_SE = 0x0800,
    OS_2003 = 0x1000,
    OS_VISTA = 0x2000
};

// The class of the version record; null stands for a version query that failed (class 0).
DWORD ClassifyOsVersion(const OSVERSIONINFOA* version);

// The class of the running system, read anew at each call.
DWORD GetOsClass();
