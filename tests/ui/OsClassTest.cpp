#include <gtest/gtest.h>

#include <string.h>

#include "ui/OsClass.h"

TEST(GetOsClass, ClassifiesEveryVersionAndAFailedQueryAsZero)
{
    const struct
    {
        const char* name;
        DWORD platform, major, minor;
        const char* servicePack;
        DWORD expected;
    } rows[] = {{"95", 1, 4, 0, "", 0x12},
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
                {"unknown platform", 3, 5, 1, "", 0x0}};
    for (const auto& row : rows)
    {
        OSVERSIONINFOA version = {sizeof(version), row.major, row.minor, 0, row.platform, ""};
        strcpy(version.szCSDVersion, row.servicePack);
        EXPECT_EQ(row.expected, ClassifyOsVersion(&version)) << row.name;
    }
    EXPECT_EQ(0u, ClassifyOsVersion(NULL));
    EXPECT_EQ(0x1u, GetOsClass() & 0xFFFF000F) << "Wine reports one NT system";
}
