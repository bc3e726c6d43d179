#include <gtest/gtest.h>

#include <string.h>

#include "ui/OsClass.h"

namespace
{

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, const char* servicePack = "")
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    strcpy(version.szCSDVersion, servicePack);
    return version;
}

struct Row
{
    const char* name;
    DWORD platform, major, minor;
    const char* servicePack;
    DWORD expected;
};

const Row kRows[] = {
    {"95", 1, 4, 0, "", 0x12},
    {"95 OSR2 B", 1, 4, 0, " B", 0x402},
    {"95 OSR2 C", 1, 4, 0, " C", 0x402},
    {"95 other letter", 1, 4, 0, " A", 0x12},
    {"98", 1, 4, 10, "", 0x22},
    {"98 SE", 1, 4, 10, " A", 0x802},
    {"98 other letter", 1, 4, 10, " B", 0x22},
    {"ME", 1, 4, 90, "", 0x42},
    {"9x 4.3", 1, 4, 3, "", 0x2},
    {"9x 5.0", 1, 5, 0, "", 0x2},
    {"NT 4.0", 2, 4, 0, "Service Pack 6", 0x81},
    {"2000", 2, 5, 0, "", 0x101},
    {"XP", 2, 5, 1, "Service Pack 2", 0x201},
    {"2003", 2, 5, 2, "", 0x1001},
    {"Vista", 2, 6, 0, "", 0x2001},
    {"NT 6.1", 2, 6, 1, "", 0x1},
    {"NT 3.51", 2, 3, 51, "", 0x1},
    {"Win32s", 0, 3, 10, "", 0x4},
    {"unknown platform", 3, 5, 1, "", 0x0},
};

} // namespace

TEST(GetOsClass, ClassifiesEveryRowOfTheTable)
{
    for (const Row& row : kRows)
    {
        OSVERSIONINFOA version = Version(row.platform, row.major, row.minor, row.servicePack);
        EXPECT_EQ(row.expected, ClassifyOsVersion(&version)) << row.name;
    }
}

TEST(GetOsClass, AFailedQueryGivesZero)
{
    EXPECT_EQ(0u, ClassifyOsVersion(NULL));
}

TEST(GetOsClass, TheRunningSystemIsOneNtClass)
{
    DWORD osClass = GetOsClass();
    EXPECT_EQ(0x1u, osClass & 0xF) << "Wine reports an NT system";
    EXPECT_EQ(0u, osClass & 0xFFFF0000u);
}
