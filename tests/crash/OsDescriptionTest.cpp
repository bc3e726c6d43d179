#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "crash/OsDescription.h"
#include "sys/OsClass.h"

namespace
{

const std::string kProductType = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions|ProductType";
const std::string kIdent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Media Center|Ident";
const std::string kMiniNt = "SYSTEM\\CurrentControlSet\\Control\\MiniNT";
const std::string kPeBuilder = "SYSTEM\\CurrentControlSet\\Control\\PE Builder";

// One machine: its version record, and what the registry and the system metrics answer. `extras`
// names the metrics that are non-zero (T tablet, M media center, S starter, 2 server R2, R remote
// session) and the keys that exist (N MiniNT, P PE Builder).

struct Machine
{
    const char* name;
    DWORD platform, major, minor;
    const char *servicePack, *productType, *ident, *extras;
};

class C_FakeOsProbe : public C_OsProbe
{
public:
    explicit C_FakeOsProbe(const Machine& machine) : m(machine) {}
    int KeyExists(const char* key) override
    {
        return Has(key == kMiniNt ? 'N' : key == kPeBuilder ? 'P' : 0);
    }
    int ReadText(const char* path, const char* name, char* buffer, DWORD capacity) override
    {
        const std::string key = std::string(path) + "|" + name;
        const char* text = key == kProductType ? m.productType : key == kIdent ? m.ident : NULL;
        asked = true;
        return text && strlen(text) < capacity && strcpy(buffer, text);
    }
    int GetMetric(int index) override
    {
        return Has(index == 0x1000 ? 'R' : index >= 86 && index <= 89 ? "TMS2"[index - 86] : 0);
    }
    int Has(char extra)
    {
        asked = true;
        return extra && strchr(m.extras, extra);
    }
    const Machine& m;
    bool asked = false;
};

} // namespace

TEST(GetOsName, FakeMachinesNamedWithTheirTags)
{
    const Machine kMachines[] = {
        {"Windows XP [Workstation] [TerminalSession]", 2, 5, 1, "Service Pack 2", "WinNT", NULL, "R"},
        {"Windows Server 2003 [Advanced Server]", 2, 5, 2, "", "LanmanNT", NULL, ""},
        {"unknown nt kernel 0x20000001", 2, 6, 1, "", "WinNT", NULL, ""},
        {"unknown dos kernel 0x2", 1, 4, 3, "", NULL, NULL, ""},
        // The 9x family is never asked for editions, so it never gets tags.
        {"Windows 98 SE", 1, 4, 10, " A", "WinNT", "3.0", "RTN"},
        {"Windows XP [MediaCenter 2005]", 2, 5, 1, "", NULL, "3.0", "M"},
        {"Windows XP [MediaCenter]", 2, 5, 1, "", NULL, "6.0", "M"},
        // One tag per group, in the groups' order; the product type without regard to case.
        {"Windows XP [Server] [PE Builder] [TabletPC] [MediaCenter 2004] [TerminalSession]", 2, 5, 1, "",
         "servernt", "2.7", "RTMNP"},
        {"Windows Vista [MiniNT] [MediaCenter Vista]", 2, 6, 0, "", "Terminal", "5.0", "N"},
        // Starter and server R2 show only in the number of an unknown system.
        {"unknown nt kernel 0x10C0001", 2, 6, 1, "", NULL, "4.1", "S2"},
        {"Windows Server 2003 [Advanced Server] [PE Builder] [TabletPC] [MediaCenter 2005 Ex] "
         "[TerminalSession]",
         2, 5, 2, "", "LanmanNT", "4.0", "TRP"}};
    for (const Machine& machine : kMachines)
    {
        OSVERSIONINFOA version = {sizeof(version), machine.major, machine.minor, 0, machine.platform, ""};
        strcpy(version.szCSDVersion, machine.servicePack);
        C_FakeOsProbe probe(machine);
        char buffer[kOsNameSize];
        EXPECT_STREQ(machine.name, GetOsName(buffer, ComputeOsFlags(ClassifyOsVersion(&version), probe)));
        EXPECT_EQ(machine.platform == 2, probe.asked) << machine.name;
    }
}

TEST(GetOsFlags, OnThisSystemTheClassAndOneProductType)
{
    DWORD flags = GetOsFlags();
    EXPECT_EQ(GetOsClass(), flags & 0xFFFF);
    ASSERT_TRUE(flags & OS_NT) << "the tests run on an NT-family system";
    EXPECT_NE(0u, flags & (OS_WORKSTATION | OS_SERVER | OS_ADVANCED_SERVER)) << "read from the registry";
}

TEST(IsWow64, SystemWithoutIsWow64ProcessIsNotWow64)
{
    EXPECT_EQ(0, IsWow64With(NULL, GetCurrentProcess()));
}
