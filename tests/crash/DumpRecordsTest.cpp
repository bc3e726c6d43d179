// Thread names and start addresses are proven by the end-to-end crash, with Wine's own dump library.
#include <string>

#include "CrashTestFiles.h"
#include "crash/DumpRecords.h"

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
