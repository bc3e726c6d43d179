#include <string.h>

#include <map>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/DebugHelp.h"
#include "crash/ReportLine.h"
#include "ui/Text.h"

namespace
{

// The symbol path with the three variables set to `values` (null: not set); they are put back after.
std::string SymbolPath(const char* executable, const char* const (&values)[3])
{
    const char* const names[3] = {"_NT_SYMBOL_PATH", "_NT_ALTERNATE_SYMBOL_PATH", "SYSTEMROOT"};
    std::string old[3];
    DWORD length[3];
    for (int i = 0; i < 3; i++)
    {
        old[i].resize(32768);
        old[i].resize(length[i] = GetEnvironmentVariableA(names[i], &old[i][0], 32768));
        SetEnvironmentVariableA(names[i], values[i]);
    }
    C_Text path;
    BuildSymbolPath(path, executable);
    for (int i = 0; i < 3; i++)
        SetEnvironmentVariableA(names[i], length[i] ? old[i].c_str() : NULL);
    return path.c_str();
}

} // namespace

TEST(SymbolPath, FolderWithItsBackslashThenTheSetVariablesWithoutClosingSemicolon)
{
    const char* const exe = "D:\\Tools\\Viewer.exe";
    EXPECT_EQ("D:\\Tools\\;D:\\Symbols;D:\\WINDOWS", SymbolPath(exe, {"D:\\Symbols", NULL, "D:\\WINDOWS"}));
    EXPECT_EQ("D:\\Tools\\;D:\\Symbols;E:\\More;D:\\WINDOWS",
              SymbolPath(exe, {"D:\\Symbols", "E:\\More", "D:\\WINDOWS"}));
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

// A debug help library of tables: the frames to walk, and what each source knows of an address.
namespace
{

struct Known
{
    const char *symbol, *oldSymbol, *module; // SymFromAddr, SymGetSymFromAddr64, SymGetModuleInfo64
    DWORD64 base, moduleBase;                // SymGetModuleInfo64, SymGetModuleBase64
    const char* file;                        // SymGetLineFromAddr64
    DWORD line;
};

std::map<DWORD64, Known> s_known;
struct FakeFrame
{
    DWORD64 pc, returnAddress, params[4] = {};
};

std::vector<FakeFrame> s_frames;
size_t s_walked = 0;
STACKFRAME64 s_first;
UINT s_errorMode = 0;

const Known* Find(DWORD64 address)
{
    auto found = s_known.find(address);
    return found == s_known.end() ? NULL : &found->second;
}

BOOL WINAPI FakeSymFromAddr(HANDLE, DWORD64 address, PDWORD64, PSYMBOL_INFO symbol)
{
    const Known* known = Find(address);
    return known && known->symbol && strncpy(symbol->Name, known->symbol, symbol->MaxNameLen - 1);
}

BOOL WINAPI FakeSymGetSymFromAddr(HANDLE, DWORD64 address, PDWORD64, PIMAGEHLP_SYMBOL64 symbol)
{
    const Known* known = Find(address);
    return known && known->oldSymbol && strncpy(symbol->Name, known->oldSymbol, symbol->MaxNameLength - 1);
}

BOOL WINAPI FakeModuleInfo(HANDLE, DWORD64 address, PIMAGEHLP_MODULE64 info)
{
    const Known* known = Find(address);
    if (!known || !known->module || info->SizeOfStruct != 1664)
        return FALSE;
    strncpy(info->ModuleName, known->module, sizeof(info->ModuleName) - 1);
    info->BaseOfImage = known->base;
    return TRUE;
}

DWORD64 WINAPI FakeModuleBase(HANDLE, DWORD64 address)
{
    const Known* known = Find(address);
    return known ? known->moduleBase : 0;
}

BOOL WINAPI FakeLineFromAddr(HANDLE, DWORD64 address, PDWORD displacement, PIMAGEHLP_LINE64 line)
{
    const Known* known = Find(address);
    if (!known || !known->file || line->SizeOfStruct != 24 || !displacement)
        return FALSE;
    line->FileName = const_cast<char*>(known->file);
    line->LineNumber = known->line;
    return TRUE;
}

PVOID WINAPI FakeFunctionTableAccess(HANDLE, DWORD64)
{
    return NULL;
}

BOOL WINAPI FakeStackWalk(DWORD machine, HANDLE process, HANDLE thread, LPSTACKFRAME64 frame, PVOID context,
                          PREAD_PROCESS_MEMORY_ROUTINE64 readMemory,
                          PFUNCTION_TABLE_ACCESS_ROUTINE64 tableAccess, PGET_MODULE_BASE_ROUTINE64 moduleBase,
                          PTRANSLATE_ADDRESS_ROUTINE64 translate)
{
    if (s_walked == 0)
    {
        s_first = *frame;
        SetErrorMode(s_errorMode = SetErrorMode(0));
    }
    EXPECT_TRUE(machine == IMAGE_FILE_MACHINE_I386 && process == GetCurrentProcess() && !thread && context &&
                !readMemory && tableAccess == FakeFunctionTableAccess && moduleBase == FakeModuleBase &&
                !translate);
    if (s_walked >= s_frames.size())
        return FALSE;
    const FakeFrame& next = s_frames[s_walked++];
    frame->AddrPC.Offset = next.pc;
    frame->AddrReturn.Offset = next.returnAddress;
    memcpy(frame->Params, next.params, sizeof(next.params));
    return TRUE;
}

const DebugHelpEntries kFakeEntries = {NULL,
                                       NULL,
                                       NULL,
                                       FakeSymGetSymFromAddr,
                                       FakeSymFromAddr,
                                       FakeModuleInfo,
                                       FakeStackWalk,
                                       FakeFunctionTableAccess,
                                       FakeModuleBase,
                                       FakeLineFromAddr};

std::vector<std::string> Walk(const std::vector<FakeFrame>& frames)
{
    s_frames = frames;
    s_walked = 0;
    CONTEXT context = {};
    context.Eip = 0x401005;
    context.Ebp = 0x65FE88;
    context.Esp = 0x65FE4C;
    C_ReportPipe report;
    WriteStack(&kFakeEntries, &context, report);
    return SplitReportLines(report.Text());
}

} // namespace

TEST(WriteStack, FakeFramesDescribedByTheFirstSourceThatKnowsThemUntilReturnAddressZero)
{
    const DWORD64 exe = (DWORD64)(ULONG_PTR)GetModuleHandleA(NULL);
    const std::string longName(400, 'n');
    s_known = {{0x401005, {"Crash", "older", "notused", 0, 0, "C:\\src\\a.cpp", 34}},
               {0x402001, {"main", NULL, "app", 0x400000, 0, NULL, 0}},
               {0x402100, {NULL, "OldName", NULL, 0, 0, NULL, 0}},
               {0x403010, {NULL, NULL, "app", 0x400000, 0, NULL, 0}},
               {0x404010, {NULL, NULL, "", 0x400000, 0, NULL, 0}},
               {0x300000, {NULL, NULL, "below", 0x400000, 0, NULL, 0}},
               {exe + 0x1234, {NULL, NULL, NULL, 0, exe, NULL, 0}},
               {0x405000, {longName.c_str(), NULL, NULL, 0, 0, NULL, 0}}};
    SetErrorMode(0);
    const std::vector<std::string> lines = Walk({{0x401005, 0x402000, {1, 2, 3, 4}},
                                                 {0x7FFE0300, 1},
                                                 {0x402001, 1, {0xFFFFFFFF12345678ULL, 6}},
                                                 {0x402100, 1},
                                                 {0x403010, 1},
                                                 {0x404010, 1},
                                                 {0x300000, 1},
                                                 {exe + 0x1234, 1},
                                                 {0x405000, 1},
                                                 {0x10000, 1},
                                                 {0xFFFFFFFF80001000ULL, 0, {0xA}},
                                                 {0x406000, 1}});
    EXPECT_EQ((std::vector<std::string>{"Crash(0x1,0x2,0x3,0x4) - Line 34 in C:\\src\\a.cpp",
                                        "app:main(0x12345678,0x6,0x0,0x0)", "OldName(0x0,0x0,0x0,0x0)",
                                        "app:app@0x3010(0x0,0x0,0x0,0x0)", "0x400000@0x4010(0x0,0x0,0x0,0x0)",
                                        "below:below@0x300000(0x0,0x0,0x0,0x0)",
                                        "crash_tests.exe:crash_tests.exe@0x1234(0x0,0x0,0x0,0x0)",
                                        std::string(kSymbolTextSize - 1, 'n') + "(0x0,0x0,0x0,0x0)",
                                        "0x00010000(0x0,0x0,0x0,0x0)", "0x80001000(0xA,0x0,0x0,0x0)"}),
              lines);
    EXPECT_EQ(11u, s_walked) << "the walk ends at the frame whose return address is 0";
    EXPECT_EQ(0x401005u, s_first.AddrPC.Offset);
    EXPECT_EQ(0x65FE88u, s_first.AddrFrame.Offset);
    EXPECT_EQ(0u, s_first.AddrStack.Offset);
    EXPECT_TRUE(s_first.AddrPC.Mode == AddrModeFlat && s_first.AddrFrame.Mode == AddrModeFlat);
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, s_errorMode & SEM_FAILCRITICALERRORS) << "during the walk";
    EXPECT_EQ(0u, SetErrorMode(0)) << "and restored after it";
}

TEST(WriteStack, FakeRepeatedAddressOrFailedWalkEndsIt)
{
    s_known.clear();
    EXPECT_EQ((std::vector<std::string>{"0x00401000(0x0,0x0,0x0,0x0)"}),
              Walk({{0x401000, 0x401000}, {0x401000, 1}, {0x403000, 1}}));
    EXPECT_EQ(2u, s_walked);
    EXPECT_TRUE(Walk({}).empty());
}
