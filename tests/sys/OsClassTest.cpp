#include <gtest/gtest.h>

#include <string.h>

#include "sys/OsClass.h"

TEST(GetOsClass, ClassifiesEveryVersionAndAFailedQueryAsZero)
{
    const DWORD k9x = VER_PLATFORM_WIN32_WINDOWS, kNt = VER_PLATFORM_WIN32_NT;
    const struct
    {
        DWORD platform, major, minor;
        const char* servicePack; // its second character is a 9x release letter
        DWORD osClass;
    } rows[] = {{k9x, 4, 0, " A", OS_9X | OS_95},
                {k9x, 4, 0, " C", OS_9X | OS_95_OSR2},
                {k9x, 4, 10, " A", OS_9X | OS_98_SE},
                {k9x, 4, 10, " B", OS_9X | OS_98},
                {k9x, 4, 90, "", OS_9X | OS_ME},
                {k9x, 5, 0, "", OS_9X},
                {kNt, 4, 0, "", OS_NT | OS_NT4},
                {kNt, 5, 2, "", OS_NT | OS_2003},
                {kNt, 4, 100, "", OS_NT},
                {VER_PLATFORM_WIN32s, 3, 10, "", OS_WIN32S},
                {3, 5, 1, "", 0}};
    for (const auto& row : rows)
    {
        OSVERSIONINFOA version = {sizeof(version), row.major, row.minor, 0, row.platform, ""};
        strcpy(version.szCSDVersion, row.servicePack);
        EXPECT_EQ(row.osClass, ClassifyOsVersion(&version))
            << "platform " << row.platform << ", " << row.major << "." << row.minor << row.servicePack;
    }
    EXPECT_EQ(0u, ClassifyOsVersion(NULL));
    EXPECT_EQ(0x1u, GetOsClass() & 0xFFFF000F) << "Wine reports one NT system";
}
