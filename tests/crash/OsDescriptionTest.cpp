#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>

#include "crash/OsDescription.h"
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

// Answers from tables instead of the registry and the system metrics; counts the questions.
class C_FakeOsProbe : public C_OsProbe
{
public:
    int KeyExists(const char* path) override
    {
        questions++;
        return keys.count(path) != 0;
    }
    int ReadText(const char* path, const char* name, char* buffer, DWORD capacity) override
    {
        questions++;
        auto found = texts.find(std::string(path) + "|" + name);
        if (found == texts.end() || found->second.size() + 1 > capacity)
            return 0;
        strcpy(buffer, found->second.c_str());
        return 1;
    }
    int GetMetric(int index) override
    {
        questions++;
        return metrics.count(index) ? metrics[index] : 0;
    }

    C_FakeOsProbe& ProductType(const char* type)
    {
        texts["SYSTEM\\CurrentControlSet\\Control\\ProductOptions|ProductType"] = type;
        return *this;
    }
    C_FakeOsProbe& MediaCenterIdent(const char* ident)
    {
        texts["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Media Center|Ident"] = ident;
        return *this;
    }
    C_FakeOsProbe& Metric(int index, int value)
    {
        metrics[index] = value;
        return *this;
    }
    C_FakeOsProbe& Key(const char* path)
    {
        keys[path] = 1;
        return *this;
    }

    std::map<std::string, std::string> texts;
    std::map<std::string, int> keys;
    std::map<int, int> metrics;
    int questions = 0;
};

const int kTabletPc = 86, kMediaCenter = 87, kStarter = 88, kServerR2 = 89, kRemoteSession = 0x1000;

std::string NameFor(const OSVERSIONINFOA& version, C_OsProbe& probe)
{
    char buffer[kOsNameSize];
    return GetOsName(buffer, ComputeOsFlags(ClassifyOsVersion(&version), probe));
}

std::string NameOf(DWORD flags)
{
    char buffer[kOsNameSize];
    return GetOsName(buffer, flags);
}

} // namespace

TEST(GetOsName, NamesEveryEdgeCaseWithInjectedVersionRegistryAndMetrics)
{
    {
        C_FakeOsProbe probe;
        probe.ProductType("WinNT").Metric(kRemoteSession, 1);
        EXPECT_EQ("Windows XP [Workstation] [TerminalSession]",
                  NameFor(Version(2, 5, 1, "Service Pack 2"), probe));
    }
    {
        C_FakeOsProbe probe;
        probe.ProductType("LanmanNT");
        EXPECT_EQ("Windows Server 2003 [Advanced Server]", NameFor(Version(2, 5, 2), probe));
    }
    {
        C_FakeOsProbe probe;
        probe.ProductType("WinNT");
        EXPECT_EQ("unknown nt kernel 0x20000001", NameFor(Version(2, 6, 1), probe));
    }
    {
        C_FakeOsProbe probe;
        EXPECT_EQ("unknown dos kernel 0x2", NameFor(Version(1, 4, 3), probe));
    }
    {
        // The 9x family is never asked for editions, so it never gets tags.
        C_FakeOsProbe probe;
        probe.ProductType("WinNT")
            .Metric(kRemoteSession, 1)
            .Metric(kTabletPc, 1)
            .Key("SYSTEM\\CurrentControlSet\\Control\\MiniNT");
        EXPECT_EQ("Windows 98 SE", NameFor(Version(1, 4, 10, " A"), probe));
        EXPECT_EQ(0, probe.questions);
    }
    {
        C_FakeOsProbe probe;
        probe.MediaCenterIdent("3.0").Metric(kMediaCenter, 1);
        EXPECT_EQ("Windows XP [MediaCenter 2005]", NameFor(Version(2, 5, 1), probe));
    }
    {
        C_FakeOsProbe probe;
        probe.MediaCenterIdent("6.0").Metric(kMediaCenter, 1);
        EXPECT_EQ("Windows XP [MediaCenter]", NameFor(Version(2, 5, 1), probe));
    }
}

TEST(GetOsFlags, ReadsProductTypeBootKeysMetricsAndMediaCenterFromInjectedProbe)
{
    const DWORD nt = OS_NT;
    {
        C_FakeOsProbe probe;
        EXPECT_EQ(nt, ComputeOsFlags(nt, probe)) << "nothing known adds nothing";
    }
    {
        C_FakeOsProbe probe;
        probe.ProductType("wInNt");
        EXPECT_EQ(nt | 0x20000000, ComputeOsFlags(nt, probe)) << "product type without regard to case";
    }
    {
        C_FakeOsProbe probe;
        probe.ProductType("servernt");
        EXPECT_EQ(nt | 0x40000000, ComputeOsFlags(nt, probe));
    }
    {
        C_FakeOsProbe probe;
        probe.ProductType("Terminal");
        EXPECT_EQ(nt, ComputeOsFlags(nt, probe));
    }
    {
        C_FakeOsProbe probe;
        probe.Key("SYSTEM\\CurrentControlSet\\Control\\MiniNT")
            .Key("SYSTEM\\CurrentControlSet\\Control\\PE Builder");
        EXPECT_EQ(nt | 0x10000000 | 0x08000000, ComputeOsFlags(nt, probe));
    }
    {
        C_FakeOsProbe probe;
        probe.Metric(kTabletPc, 1)
            .Metric(kMediaCenter, 2)
            .Metric(kRemoteSession, 1)
            .Metric(kStarter, 1)
            .Metric(kServerR2, 1);
        EXPECT_EQ(nt | 0x100000 | 0x200000 | 0x4000000 | 0x40000 | 0x80000, ComputeOsFlags(nt, probe));
    }
    const struct
    {
        const char* ident;
        DWORD flag;
    } kIdents[] = {{"2.7", 0x400000}, {"3.0", 0x800000}, {"4.1", 0x1000000}, {"5.0", 0x2000000},
                   {"6.0", 0},        {"1.9", 0},        {"x.2", 0},         {"", 0}};
    for (const auto& row : kIdents)
    {
        C_FakeOsProbe probe;
        probe.MediaCenterIdent(row.ident);
        EXPECT_EQ(nt | row.flag, ComputeOsFlags(nt, probe)) << "Ident " << row.ident;
    }
}

TEST(GetOsName, TakesFirstBaseAndOneTagPerGroupInOrder)
{
    EXPECT_EQ("Windows NT4", NameOf(0x81 | 0x200));
    EXPECT_EQ("Windows 2000", NameOf(0x101));
    EXPECT_EQ("Windows Vista [Server]", NameOf(0x2001 | 0x40000000 | 0x80000000));
    EXPECT_EQ(
        "Windows XP [PE Builder] [TabletPC] [MediaCenter 2004] [TerminalSession]",
        NameOf(0x201 | 0x08000000 | 0x10000000 | 0x100000 | 0x400000 | 0x800000 | 0x200000 | 0x4000000));
    EXPECT_EQ("Windows XP [MiniNT] [MediaCenter Vista]", NameOf(0x201 | 0x10000000 | 0x2000000 | 0x200000));
    EXPECT_EQ("Windows XP [MediaCenter 2005 Ex]", NameOf(0x201 | 0x1000000));
    // Starter and server R2 are never named; they show only in the number of an unknown system.
    EXPECT_EQ("Windows XP", NameOf(0x201 | 0x40000 | 0x80000));
    EXPECT_EQ("unknown nt kernel 0xC0001", NameOf(0x1 | 0x40000 | 0x80000));

    EXPECT_EQ("Windows 95", NameOf(0x12));
    EXPECT_EQ("Windows 95 OSR2", NameOf(0x402));
    EXPECT_EQ("Windows 98", NameOf(0x22));
    EXPECT_EQ("Windows ME", NameOf(0x42));
    EXPECT_EQ("Windows 3.1", NameOf(0x4));
    EXPECT_EQ("unknown 0x0", NameOf(0));
    EXPECT_EQ("unknown 0x20000000", NameOf(0x20000000));
}

TEST(GetOsName, LongestNameFillsNoMoreThanItsBuffer)
{
    char buffer[kOsNameSize + 32];
    memset(buffer, 0x5A, sizeof(buffer));
    const char* name = GetOsName(buffer, 0x1001 | 0x80000000 | 0x08000000 | 0x100000 | 0x1000000 | 0x4000000);
    EXPECT_EQ(buffer, name);
    EXPECT_STREQ("Windows Server 2003 [Advanced Server] [PE Builder] [TabletPC] [MediaCenter 2005 Ex] "
                 "[TerminalSession]",
                 name);
    EXPECT_EQ(101u, strlen(name));
    for (size_t i = kOsNameSize; i < sizeof(buffer); i++)
        ASSERT_EQ(0x5A, buffer[i]) << "written beyond the buffer at " << i;

    memset(buffer, 0x5A, sizeof(buffer));
    EXPECT_EQ(buffer, GetOsName(buffer, 0xFFFF0002));
    EXPECT_STREQ("unknown dos kernel 0xFFFF0002", buffer);
    for (size_t i = kOsNameSize; i < sizeof(buffer); i++)
        ASSERT_EQ(0x5A, buffer[i]);
}

TEST(GetOsFlags, OnThisSystemExtendsTheClassWithItsProductType)
{
    DWORD flags = GetOsFlags();
    EXPECT_EQ(GetOsClass(), flags & 0xFFFF);
    ASSERT_TRUE(flags & OS_NT) << "the tests run on an NT-family system";
    char type[260] = "";
    DWORD size = sizeof(type);
    HKEY key;
    DWORD expected = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_READ,
                      &key) == ERROR_SUCCESS)
    {
        if (RegQueryValueExA(key, "ProductType", NULL, NULL, reinterpret_cast<BYTE*>(type), &size) ==
            ERROR_SUCCESS)
            expected = _stricmp(type, "WinNT") == 0      ? 0x20000000
                       : _stricmp(type, "ServerNT") == 0 ? 0x40000000
                       : _stricmp(type, "LanmanNT") == 0 ? 0x80000000
                                                         : 0;
        RegCloseKey(key);
    }
    EXPECT_EQ(expected, flags & 0xE0000000) << "ProductType " << type;
}

TEST(IsWow64, MatchesWhetherTheSystemHasAWow64Folder)
{
    // Only a 64-bit system has a folder for 32-bit system files.
    char folder[MAX_PATH];
    int expected = GetSystemWow64DirectoryA(folder, sizeof(folder)) != 0 ? 1 : 0;
    EXPECT_EQ(expected, IsWow64());
}

namespace
{

BOOL WINAPI FakeWow64Yes(HANDLE, PBOOL wow64)
{
    *wow64 = TRUE;
    return TRUE;
}

BOOL WINAPI FakeWow64No(HANDLE, PBOOL wow64)
{
    *wow64 = FALSE;
    return TRUE;
}

BOOL WINAPI FakeWow64Fails(HANDLE, PBOOL wow64)
{
    *wow64 = TRUE;
    return FALSE;
}

} // namespace

TEST(IsWow64, FakeEntryPointDecides)
{
    EXPECT_EQ(0, IsWow64With(NULL, GetCurrentProcess())) << "a system without IsWow64Process";
    EXPECT_EQ(1, IsWow64With(FakeWow64Yes, GetCurrentProcess()));
    EXPECT_EQ(0, IsWow64With(FakeWow64No, GetCurrentProcess()));
    EXPECT_EQ(0, IsWow64With(FakeWow64Fails, GetCurrentProcess())) << "only a successful call counts";
}
