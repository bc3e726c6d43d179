#include <string.h>

#include <regex>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/DebugHelp.h"
#include "crash/ReportLine.h"
#include "sys/Text.h"

namespace
{

// The symbol path with the three variables set to `values` (null: not set); they are put back after.
std::string SymbolPath(const char* executable, const char* const (&values)[3])
{
    const char* const names[3] = {"_NT_SYMBOL_PATH", "_NT_ALTERNATE_SYMBOL_PATH", "SYSTEMROOT"};
    static char old[3][32768];
    DWORD length[3];
    for (int i = 0; i < 3; i++)
    {
        length[i] = GetEnvironmentVariableA(names[i], old[i], sizeof(old[i]));
        SetEnvironmentVariableA(names[i], values[i]);
    }
    C_Text path;
    BuildSymbolPath(path, executable);
    for (int i = 0; i < 3; i++)
        SetEnvironmentVariableA(names[i], length[i] ? old[i] : NULL);
    return path.c_str();
}

} // namespace

TEST(SymbolPath, FolderWithItsBackslashThenTheSetVariablesWithoutClosingSemicolon)
{
    const char* const exe = "D:\\Tools\\Viewer.exe";
    EXPECT_EQ("D:\\Tools\\;D:\\Symbols;D:\\WINDOWS", SymbolPath(exe, {"D:\\Symbols", NULL, "D:\\WINDOWS"}));
    EXPECT_EQ("D:\\Symbols;E:\\More;D:\\WINDOWS",
              SymbolPath(NULL, {"D:\\Symbols", "E:\\More", "D:\\WINDOWS"}));
    EXPECT_EQ("D:\\Tools\\", SymbolPath(exe, {NULL, NULL, NULL}));
    EXPECT_EQ("D:\\Tools\\", SymbolPath(exe, {"", NULL, NULL})) << "an empty value adds nothing";
    EXPECT_EQ("", SymbolPath("Viewer.exe", {NULL, NULL, NULL})) << "a path without a folder adds nothing";
}

TEST(SymbolPath, ValueLongerThan260BytesIsTakenWhole)
{
    const std::string value = "srv*D:\\" + std::string(400, 's') + "*https://symbols.example/";
    EXPECT_EQ("D:\\Tools\\;" + value + ";D:\\WINDOWS",
              SymbolPath("D:\\Tools\\Viewer.exe", {value.c_str(), NULL, "D:\\WINDOWS"}));
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

// The real library's lookups, with a stack walk that hands out the frames of a table.
namespace
{

struct FakeFrame
{
    DWORD64 pc, returnAddress, params[4] = {};
};

std::vector<FakeFrame> s_frames;
size_t s_walked = 0;
UINT s_errorMode = 0;

BOOL WINAPI FakeStackWalk(DWORD, HANDLE, HANDLE, LPSTACKFRAME64 frame, PVOID, PREAD_PROCESS_MEMORY_ROUTINE64,
                          PFUNCTION_TABLE_ACCESS_ROUTINE64, PGET_MODULE_BASE_ROUTINE64,
                          PTRANSLATE_ADDRESS_ROUTINE64)
{
    if (s_walked == 0)
        SetErrorMode(s_errorMode = SetErrorMode(0));
    if (s_walked >= s_frames.size())
        return FALSE;
    const FakeFrame& next = s_frames[s_walked++];
    frame->AddrPC.Offset = next.pc;
    frame->AddrReturn.Offset = next.returnAddress;
    memcpy(frame->Params, next.params, sizeof(next.params));
    return TRUE;
}

std::string Walk(const C_DebugHelp& debugHelp, const std::vector<FakeFrame>& frames)
{
    DebugHelpEntries entries = *debugHelp.Entries();
    entries.stackWalk64 = FakeStackWalk;
    s_frames = frames;
    s_walked = 0;
    CONTEXT context = {};
    C_ReportPipe report;
    SetErrorMode(0);
    WriteStack(&entries, &context, report);
    EXPECT_EQ(0u, SetErrorMode(0)) << "the error mode is restored";
    return report.Text();
}

} // namespace

TEST(WriteStack, FakeWalkOneLineAFrameSkippingTheUserDataPageUntilReturnAddressZero)
{
    C_DebugHelp debugHelp;
    ASSERT_EQ(1, debugHelp.LoadDebugHelp("dbghelp.dll"));
    const DWORD64 exe = (DWORD64)(ULONG_PTR)GetModuleHandleA(NULL);
    const std::string text = Walk(debugHelp, {{(DWORD64)(ULONG_PTR)FakeStackWalk, 1, {1, 2, 3, 4}},
                                              {0x7FFE0300, 1},
                                              {exe + 0x10, 1, {0xFFFFFFFF12345678ULL}},
                                              {0x10, 1},
                                              {0xFFFFFFFF80001000ULL, 0, {0xA}},
                                              {0x20, 1}});
    EXPECT_TRUE(std::regex_match(
        text,
        std::regex(std::string("FakeStackWalk\\(0x1,0x2,0x3,0x4\\) - Line \\d+ in .*DebugHelpTest\\.cpp\r\n"
                               "crash_tests:crash_tests@0x10\\(") +
                   // A stack word is 32 bits wide on 32-bit, 64 on 64-bit.
                   (sizeof(void*) == 8 ? "0xFFFFFFFF12345678" : "0x12345678") +
                   ",0x0,0x0,0x0\\)\r\n"
                   "0x00000010\\(0x0,0x0,0x0,0x0\\)\r\n0x80001000\\(0xA,0x0,0x0,0x0\\)\r\n")))
        << text;
    EXPECT_EQ(5u, s_walked) << "the walk ends at the frame whose return address is 0";
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, s_errorMode & SEM_FAILCRITICALERRORS) << "during the walk";
    EXPECT_EQ("0x00000010(0x0,0x0,0x0,0x0)\r\n", Walk(debugHelp, {{0x10, 0x10}, {0x10, 1}, {0x30, 1}}))
        << "a repeated address ends the walk";
    EXPECT_EQ(2u, s_walked);
    EXPECT_EQ("", Walk(debugHelp, {}));
}
