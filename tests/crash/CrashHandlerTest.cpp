#include <gtest/gtest.h>

#include "crash/CrashHandler.h"

TEST(CrashFileName, OnlyADotOfTheFileNameCutsTheExtensionAndUncPathsTakeTheLongForm)
{
    const struct
    {
        const wchar_t* executable;
        std::wstring name;
    } kRows[] = {{L"D:\\Tools\\Viewer.1.2.exe", L"\\\\?\\D:\\Tools\\Viewer.1.2_Debug.dmp"},
                 {L"D:\\Tools.old\\Viewer", L"\\\\?\\D:\\Tools.old\\Viewer_Debug.dmp"},
                 {L"\\\\server\\share\\Viewer.exe", L"\\\\?\\UNC\\server\\share\\Viewer_Debug.dmp"},
                 {L"\\\\?\\D:\\Viewer.exe", L"\\\\?\\D:\\Viewer_Debug.dmp"},
                 {L"Viewer.exe", L"Viewer_Debug.dmp"},
                 {L"", L"MiniDump_Debug.dmp"},
                 {NULL, L"MiniDump_Debug.dmp"}};
    for (const auto& row : kRows)
    {
        wchar_t name[kCrashNameSize];
        GetCrashFileName(row.executable, L"_Debug.dmp", name);
        EXPECT_EQ(row.name, name);
    }
}

TEST(IsProgramFault, ErrorsInsideTheImageOnly)
{
    const ULONG_PTR base = 0x400000, size = 0x1000;
    const struct
    {
        DWORD code;
        ULONG_PTR address;
        int fault;
    } kRows[] = {{EXCEPTION_ACCESS_VIOLATION, 0x400000, 1}, {EXCEPTION_STACK_OVERFLOW, 0x400FFF, 1},
                 {EXCEPTION_ACCESS_VIOLATION, 0x401000, 0}, {EXCEPTION_ACCESS_VIOLATION, 0x3FFFFF, 0},
                 {EXCEPTION_BREAKPOINT, 0x400100, 0},       {0xE06D7363, 0x400100, 0}};
    for (const auto& row : kRows)
    {
        EXCEPTION_RECORD record = {row.code, 0, NULL, reinterpret_cast<void*>(row.address), 0, {}};
        EXPECT_EQ(row.fault, IsProgramFault(record, base, size))
            << std::hex << row.code << " at " << row.address;
    }
}
