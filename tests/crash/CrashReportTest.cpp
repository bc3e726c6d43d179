// The crash report's parts: its lines, the records of its lists, the debug help library and the system.
#include <gtest/gtest.h>

#include <string>

#include "crash/CrashReport.h"
#include "crash/DumpRecords.h"
#include "crash/OsDescription.h"
#include "crash/ReportLine.h"
#include "sys/OsClass.h"

TEST(ReportLine, LongLineIsCutToItsBufferKeepingItsLineEndAndWholeCharacters)
{
    char line[kReportLineSize];
    const std::string text(600, 'a'), fits(kReportLineSize - 3, 'b');
    EXPECT_EQ(std::string(kReportLineSize - 3, 'a') + "\r\n",
              std::string(line, FormatReportLine(line, CP_ACP, "%s\r\n", text.c_str())));
    EXPECT_EQ("\r\n" + std::string(kReportLineSize - 3, 'a'),
              std::string(line, FormatReportLine(line, CP_ACP, "\r\n%s Mhz", text.c_str())))
        << "a line without its own line end gets none";
    EXPECT_EQ(fits + "\r\n", std::string(line, FormatReportLine(line, CP_ACP, "%s\r\n", fits.c_str())));

    // No cut splits a double-byte character, nor takes its trail byte for a backslash: 0x83 0x5C is one
    // character in code page 932.
    ASSERT_TRUE(IsValidCodePage(932));
    const std::string doubleByte = std::string(kReportLineSize - 4, 'a') + "\x83\x5Czzzz";
    EXPECT_EQ(std::string(kReportLineSize - 4, 'a') + "\r\n",
              std::string(line, FormatReportLine(line, 932, "%s\r\n", doubleByte.c_str())));

    const char* path = "D:\\Tools\\\x83\x5C"
                       "file.exe";
    EXPECT_EQ(path + 8, FindLastChar(path, '\\', 932));
    EXPECT_EQ(path + 10, FindLastChar(path, '\\', 1252));
    EXPECT_EQ(NULL, FindLastChar("ab\x83", '\\', 932)) << "a lead byte at the end";
}

// Thread names and start addresses are proven by the end-to-end crash, with Wine's own dump library.
TEST(CollectDumpRecord, ModulesKeepACopyOfTheirPathAndTheLowWordOfASignExtendedBase)
{
    C_DumpRecords records(NULL);
    std::wstring path = L"C:\\Tools\\Viewer.exe";
    MINIDUMP_CALLBACK_INPUT input = {};
    input.CallbackType = ModuleCallback;
    input.Module.FullPath = &path[0];
    input.Module.BaseOfImage = 0xFFFFFFFF80000000ULL;
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &input, NULL));
    path = L"gone";
    input.Module.FullPath = NULL;
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &input, NULL));

    C_ModuleRecord* first = records.modules.First();
    ASSERT_TRUE(first && first->path && first->next == records.modules.Last());
    EXPECT_EQ(std::wstring(L"C:\\Tools\\Viewer.exe"), first->path);
    EXPECT_EQ(0x80000000u, first->imageBase);
    EXPECT_EQ(NULL, first->next->path) << "a module without a path keeps its record";
}

TEST(ReadTextSafely, AddressIntoNowhereGivesAnEmptyText)
{
    char buffer[16] = "untouched";
    ReadTextSafely(reinterpret_cast<const void*>(0x10), buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);
}

TEST(LoadDebugHelp, InjectedLibraryWithoutTheEntryPointsIsRejectedAndReleased)
{
    // lz32.dll loads but has none of the entry points, like a library that is too old.
    ASSERT_EQ(NULL, GetModuleHandleA("lz32.dll")) << "the test needs a library nobody else loaded";
    C_DebugHelp debugHelp;
    EXPECT_EQ(0, debugHelp.LoadDebugHelp("lz32.dll"));
    EXPECT_EQ(NULL, debugHelp.Entries());
    EXPECT_EQ(NULL, GetModuleHandleA("lz32.dll"));
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
