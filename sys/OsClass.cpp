#include "sys/OsClass.h"

#include <string.h>

DWORD ClassifyOsVersion(const OSVERSIONINFOA* version)
{
    if (!version)
        return 0;
    switch (version->dwPlatformId)
    {
    case VER_PLATFORM_WIN32s:
        return OS_WIN32S;
    case VER_PLATFORM_WIN32_WINDOWS:
    {
        if (version->dwMajorVersion != 4)
            return OS_9X;
        // The service-pack text carries the release letter in its second character: " B", " A".
        char letter = version->szCSDVersion[0] ? version->szCSDVersion[1] : 0;
        switch (version->dwMinorVersion)
        {
        case 0:
            return letter == 'B' || letter == 'C' ? OS_9X | OS_95_OSR2 : OS_9X | OS_95;
        case 10:
            return letter == 'A' ? OS_9X | OS_98_SE : OS_9X | OS_98;
        case 90:
            return OS_9X | OS_ME;
        default:
            return OS_9X;
        }
    }
    case VER_PLATFORM_WIN32_NT:
    {
        DWORD version2 = version->dwMajorVersion * 100 + version->dwMinorVersion;
        if (version->dwMinorVersion >= 100)
            return OS_NT;
        switch (version2)
        {
        case 400:
            return OS_NT | OS_NT4;
        case 500:
            return OS_NT | OS_2000;
        case 501:
            return OS_NT | OS_XP;
        case 502:
            return OS_NT | OS_2003;
        case 600:
            return OS_NT | OS_VISTA;
        default:
            return OS_NT;
        }
    }
    default:
        return 0;
    }
}

DWORD GetOsClass()
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version) != 1)
        return 0;
    return ClassifyOsVersion(&version);
}
