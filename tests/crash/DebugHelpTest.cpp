#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/DebugHelp.h"
#include "crash/ReportLine.h"
#include "ui/Text.h"

#if defined(_MSC_VER)
#define TEST_NOINLINE __declspec(noinline)
#else
#define TEST_NOINLINE __attribute__((noinline))
#endif

namespace
{

// Sets environment variables for one test and puts the old values back afterwards.
class C_Environment
{
public:
    ~C_Environment()
    {
        for (auto& saved : m_saved)
            SetEnvironmentVariableA(saved.first.c_str(),
                                    saved.second.set ? saved.second.value.c_str() : NULL);
    }
    void Set(const char* name, const char* value)
    {
        if (!m_saved.count(name))
        {
            char old[32768];
            DWORD length = GetEnvironmentVariableA(name, old, sizeof(old));
            m_saved[name] = {length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND,
                             std::string(old, length)};
        }
        SetEnvironmentVariableA(name, value);
    }

private:
    struct Saved
    {
        bool set;
        std::string value;
    };
    std::map<std::string, Saved> m_saved;
};

std::string SymbolPath(const char* executable)
{
    C_Text path;
    BuildSymbolPath(path, executable);
    return path.c_str();
}

} // namespace

TEST(SymbolPath, FolderAndSetVariablesJoinedWithoutClosingSemicolon)
{
    C_Environment environment;
    environment.Set("_NT_SYMBOL_PATH", "D:\\Symbols");
    environment.Set("_NT_ALTERNATE_SYMBOL_PATH", NULL);
    environment.Set("SYSTEMROOT", "D:\\WINDOWS");
    EXPECT_EQ("D:\\Tools\\;D:\\Symbols;D:\\WINDOWS", SymbolPath("D:\\Tools\\Viewer.exe"));

    environment.Set("_NT_ALTERNATE_SYMBOL_PATH", "E:\\More");
    EXPECT_EQ("D:\\Tools\\;D:\\Symbols;E:\\More;D:\\WINDOWS", SymbolPath("D:\\Tools\\Viewer.exe"));
    EXPECT_EQ("D:\\Symbols;E:\\More;D:\\WINDOWS", SymbolPath(NULL)) << "without the executable's path";
}

TEST(SymbolPath, NoVariablesLeaveTheFolderWithItsBackslash)
{
    C_Environment environment;
    environment.Set("_NT_SYMBOL_PATH", NULL);
    environment.Set("_NT_ALTERNATE_SYMBOL_PATH", NULL);
    environment.Set("SYSTEMROOT", NULL);
    EXPECT_EQ("D:\\Tools\\", SymbolPath("D:\\Tools\\Viewer.exe"));
    EXPECT_EQ("", SymbolPath(NULL));
    EXPECT_EQ("", SymbolPath("Viewer.exe")) << "a path without a folder adds nothing";

    environment.Set("_NT_SYMBOL_PATH", "");
    EXPECT_EQ("D:\\Tools\\", SymbolPath("D:\\Tools\\Viewer.exe")) << "an empty value adds nothing";
}

TEST(SymbolPath, LongValueIsTakenWhole)
{
    C_Environment environment;
    std::string longValue = "srv*D:\\" + std::string(400, 's') + "*https://symbols.example/";
    environment.Set("_NT_SYMBOL_PATH", longValue.c_str());
    environment.Set("_NT_ALTERNATE_SYMBOL_PATH", NULL);
    environment.Set("SYSTEMROOT", "D:\\WINDOWS");
    EXPECT_EQ("D:\\Tools\\;" + longValue + ";D:\\WINDOWS", SymbolPath("D:\\Tools\\Viewer.exe"));
}

TEST(SymbolPath, FolderCutNeverTakesATrailByteForABackslash)
{
    ASSERT_TRUE(IsValidCodePage(932));
    // In code page 932 the character 0x83 0x5C ends in a backslash byte.
    const char* path = "D:\\Tools\\\x83\x5C"
                       "file.exe";
    EXPECT_EQ(path + 8, FindLastChar(path, '\\', 932));
    EXPECT_EQ(path + 10, FindLastChar(path, '\\', 1252));
    EXPECT_EQ(NULL, FindLastChar("abc", '\\', 932));
    EXPECT_EQ(NULL, FindLastChar("ab\x83", '\\', 932)) << "a lead byte at the end";
}

TEST(LoadDebugHelp, LoadsTheLibraryAndTheSymbolEngineAndUnloads)
{
    C_DebugHelp debugHelp;
    EXPECT_EQ(NULL, debugHelp.Entries());
    ASSERT_EQ(1, debugHelp.LoadDebugHelp("dbghelp.dll"));
    const DebugHelpEntries* entries = debugHelp.Entries();
    ASSERT_NE(nullptr, entries);
    EXPECT_NE(nullptr, entries->miniDumpWriteDump);
    EXPECT_NE(nullptr, entries->symGetLineFromAddr64);
    EXPECT_NE(nullptr, debugHelp.QueryThread());
    debugHelp.UnloadDebugHelp();
    EXPECT_EQ(NULL, debugHelp.Entries());
    EXPECT_EQ(nullptr, debugHelp.QueryThread());
    // Loaded again after an unload, the symbol engine starts anew.
    EXPECT_EQ(1, debugHelp.LoadDebugHelp("dbghelp.dll"));
}

TEST(LoadDebugHelp, InjectedMissingLibraryIsRejected)
{
    C_DebugHelp debugHelp;
    EXPECT_EQ(0, debugHelp.LoadDebugHelp("karpolin-missing-dbghelp.dll"));
    EXPECT_EQ(NULL, debugHelp.Entries());
}

TEST(LoadDebugHelp, InjectedLibraryWithoutTheEntryPointsIsRejectedAndReleased)
{
    // lz32.dll loads, but has none of the debug help entry points: like a library that is too old.
    ASSERT_EQ(NULL, GetModuleHandleA("lz32.dll")) << "the test needs a library nobody else loaded";
    C_DebugHelp debugHelp;
    EXPECT_EQ(0, debugHelp.LoadDebugHelp("lz32.dll"));
    EXPECT_EQ(NULL, debugHelp.Entries());
    EXPECT_EQ(NULL, GetModuleHandleA("lz32.dll")) << "the rejected library stays loaded";
}

namespace
{

const int kKnownFunctionFirstLine = __LINE__ + 1;
TEST_NOINLINE int KnownFunction(int value)
{
    return value * 3 + 1;
}
const int kKnownFunctionLastLine = __LINE__ - 1;

struct Blocked
{
    HANDLE arrived = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    ~Blocked()
    {
        CloseHandle(arrived);
        CloseHandle(release);
    }
};

TEST_NOINLINE DWORD BlockInKnownPlace(Blocked* blocked)
{
    SetEvent(blocked->arrived);
    return WaitForSingleObject(blocked->release, INFINITE);
}

DWORD WINAPI BlockedThread(void* data)
{
    return BlockInKnownPlace(static_cast<Blocked*>(data)) + 1;
}

} // namespace

TEST(SymbolLookup, NamesFunctionLineAndModuleOfThisProgram)
{
    C_DebugHelp debugHelp;
    ASSERT_EQ(1, debugHelp.LoadDebugHelp("dbghelp.dll"));
    const DebugHelpEntries& entries = *debugHelp.Entries();
    int (*volatile function)(int) = KnownFunction;
    DWORD64 address = (DWORD64)(ULONG_PTR)function;
    ASSERT_EQ(4, function(1));

    char text[kSymbolTextSize] = "";
    ASSERT_EQ(1, DescribeAddress(entries, address, text));
    EXPECT_NE(nullptr, strstr(text, "KnownFunction")) << text;

    IMAGEHLP_LINE64 line;
    ASSERT_EQ(1, GetSourceLine(entries, address, &line));
    EXPECT_NE(nullptr, strstr(line.FileName, "DebugHelpTest.cpp")) << line.FileName;
    EXPECT_GE((int)line.LineNumber, kKnownFunctionFirstLine);
    EXPECT_LE((int)line.LineNumber, kKnownFunctionLastLine);

    DWORD64 base = 0;
    ASSERT_EQ(1, GetModuleName(entries, address, text, &base));
    EXPECT_STREQ("crash_tests", text);
    EXPECT_EQ((DWORD64)(ULONG_PTR)GetModuleHandleA(NULL), base);

    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_EQ(
        1, GetModuleName(entries, (DWORD64)(ULONG_PTR)GetProcAddress(kernel, "GetTickCount"), text, &base));
    EXPECT_EQ(0, _stricmp("kernel32", text)) << text;
    EXPECT_EQ((DWORD64)(ULONG_PTR)kernel, base);

    strcpy(text, "untouched");
    EXPECT_EQ(0, DescribeAddress(entries, 0x10, text)) << "nothing is known about address 0x10";
    EXPECT_STREQ("untouched", text);
}

TEST(WriteStack, WalksABlockedThreadThroughTheFunctionItWaitsIn)
{
    C_DebugHelp debugHelp;
    ASSERT_EQ(1, debugHelp.LoadDebugHelp("dbghelp.dll"));
    Blocked blocked;
    HANDLE thread = CreateThread(NULL, 0, BlockedThread, &blocked, 0, NULL);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(blocked.arrived, 10000));
    Sleep(50); // into the wait
    ASSERT_NE((DWORD)-1, SuspendThread(thread));
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    context.ContextFlags = CONTEXT_FULL;
    BOOL got = GetThreadContext(thread, &context);
    C_TempReport report;
    if (got)
        WriteStack(debugHelp.Entries(), &context, report.Handle());
    ResumeThread(thread);
    SetEvent(blocked.release);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    ASSERT_TRUE(got);

    std::vector<std::string> lines = report.Lines();
    bool found = false;
    for (const std::string& line : lines)
        if (line.find("BlockInKnownPlace(") == 0 && line.find(" - Line ") != std::string::npos &&
            line.find("DebugHelpTest.cpp") != std::string::npos)
            found = true;
    EXPECT_TRUE(found) << report.Text();
}

TEST(WriteStack, NothingWithoutTheLibrary)
{
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    C_TempReport report;
    WriteStack(NULL, &context, report.Handle());
    EXPECT_EQ("", report.Text());
}

// A debug help library of tables: frames to walk, and what is known about addresses.
namespace
{

struct FakeFrame
{
    DWORD64 pc;
    DWORD64 returnAddress;
    DWORD64 params[4];
};

struct FakeLine
{
    const char* file;
    DWORD line;
};

struct FakeDebugHelp
{
    std::vector<FakeFrame> frames;
    size_t next = 0;
    std::map<DWORD64, std::string> symbols, oldSymbols, modules;
    std::map<DWORD64, FakeLine> lines;
    std::map<DWORD64, DWORD64> moduleBases, infoBases;
    // What the walk was given.
    STACKFRAME64 firstFrame;
    bool argumentsRight = true;
    UINT errorMode = 0;
};

FakeDebugHelp* s_fake = NULL;

PVOID WINAPI FakeFunctionTableAccess(HANDLE, DWORD64)
{
    return NULL;
}

DWORD64 WINAPI FakeModuleBase(HANDLE, DWORD64 address)
{
    auto found = s_fake->moduleBases.find(address);
    return found == s_fake->moduleBases.end() ? 0 : found->second;
}

BOOL WINAPI FakeStackWalk(DWORD machine, HANDLE process, HANDLE thread, LPSTACKFRAME64 frame, PVOID context,
                          PREAD_PROCESS_MEMORY_ROUTINE64 readMemory,
                          PFUNCTION_TABLE_ACCESS_ROUTINE64 tableAccess, PGET_MODULE_BASE_ROUTINE64 moduleBase,
                          PTRANSLATE_ADDRESS_ROUTINE64 translate)
{
    if (s_fake->next == 0)
    {
        s_fake->firstFrame = *frame;
        s_fake->errorMode = SetErrorMode(0);
        SetErrorMode(s_fake->errorMode);
    }
    if (machine != IMAGE_FILE_MACHINE_I386 || process != GetCurrentProcess() || thread || !context ||
        readMemory || tableAccess != FakeFunctionTableAccess || moduleBase != FakeModuleBase || translate)
        s_fake->argumentsRight = false;
    if (s_fake->next >= s_fake->frames.size())
        return FALSE;
    const FakeFrame& next = s_fake->frames[s_fake->next++];
    frame->AddrPC.Offset = next.pc;
    frame->AddrReturn.Offset = next.returnAddress;
    for (int i = 0; i < 4; i++)
        frame->Params[i] = next.params[i];
    return TRUE;
}

BOOL WINAPI FakeSymFromAddr(HANDLE, DWORD64 address, PDWORD64, PSYMBOL_INFO symbol)
{
    auto found = s_fake->symbols.find(address);
    if (found == s_fake->symbols.end())
        return FALSE;
    strncpy(symbol->Name, found->second.c_str(), symbol->MaxNameLen - 1);
    return TRUE;
}

BOOL WINAPI FakeSymGetSymFromAddr(HANDLE, DWORD64 address, PDWORD64, PIMAGEHLP_SYMBOL64 symbol)
{
    auto found = s_fake->oldSymbols.find(address);
    if (found == s_fake->oldSymbols.end())
        return FALSE;
    strncpy(symbol->Name, found->second.c_str(), symbol->MaxNameLength - 1);
    return TRUE;
}

BOOL WINAPI FakeModuleInfo(HANDLE, DWORD64 address, PIMAGEHLP_MODULE64 info)
{
    auto found = s_fake->modules.find(address);
    if (found == s_fake->modules.end() || info->SizeOfStruct != 1664)
        return FALSE;
    memset(info->ModuleName, 0, sizeof(info->ModuleName));
    memcpy(info->ModuleName, found->second.c_str(), std::min(found->second.size(), sizeof(info->ModuleName)));
    info->BaseOfImage = s_fake->infoBases[address];
    return TRUE;
}

BOOL WINAPI FakeLineFromAddr(HANDLE, DWORD64 address, PDWORD displacement, PIMAGEHLP_LINE64 line)
{
    auto found = s_fake->lines.find(address);
    if (found == s_fake->lines.end() || line->SizeOfStruct != 24 || !displacement)
        return FALSE;
    line->FileName = const_cast<char*>(found->second.file);
    line->LineNumber = found->second.line;
    return TRUE;
}

class C_FakeDebugHelp
{
public:
    C_FakeDebugHelp()
    {
        s_fake = &fake;
        memset(&entries, 0, sizeof(entries));
        entries.symGetSymFromAddr64 = FakeSymGetSymFromAddr;
        entries.symFromAddr = FakeSymFromAddr;
        entries.symGetModuleInfo64 = FakeModuleInfo;
        entries.stackWalk64 = FakeStackWalk;
        entries.symFunctionTableAccess64 = FakeFunctionTableAccess;
        entries.symGetModuleBase64 = FakeModuleBase;
        entries.symGetLineFromAddr64 = FakeLineFromAddr;
    }
    ~C_FakeDebugHelp() { s_fake = NULL; }
    FakeDebugHelp fake;
    DebugHelpEntries entries;
};

std::string Describe(const DebugHelpEntries& entries, DWORD64 address)
{
    char text[kSymbolTextSize] = "untouched";
    return DescribeAddress(entries, address, text) ? text : std::string("(0) ") + text;
}

} // namespace

TEST(DescribeAddress, FakeSourcesAnswerInTheirOrder)
{
    C_FakeDebugHelp debugHelp;
    FakeDebugHelp& fake = debugHelp.fake;
    fake.symbols[0x401000] = "_Z7Crashv";
    fake.oldSymbols[0x401000] = "older";
    fake.oldSymbols[0x402000] = "OldName";
    fake.modules[0x402000] = fake.modules[0x403010] = "app";
    fake.infoBases[0x403010] = 0x400000;
    fake.modules[0x404010] = "";
    fake.infoBases[0x404010] = 0x400000;
    fake.modules[0x300000] = "below";
    fake.infoBases[0x300000] = 0x400000;

    EXPECT_EQ("_Z7Crashv", Describe(debugHelp.entries, 0x401000)) << "the symbol as stored, not undecorated";
    EXPECT_EQ("OldName", Describe(debugHelp.entries, 0x402000));
    EXPECT_EQ("app@0x3010", Describe(debugHelp.entries, 0x403010));
    EXPECT_EQ("0x400000@0x4010", Describe(debugHelp.entries, 0x404010))
        << "a nameless module: base, then offset";
    EXPECT_EQ("below@0x300000", Describe(debugHelp.entries, 0x300000))
        << "an address below the base is its own offset";
    EXPECT_EQ("(0) untouched", Describe(debugHelp.entries, 0x405000));
}

TEST(DescribeAddress, FakeModuleBaseFallsBackToTheModulesFileName)
{
    C_FakeDebugHelp debugHelp;
    DWORD64 base = (DWORD64)(ULONG_PTR)GetModuleHandleA(NULL);
    debugHelp.fake.moduleBases[base + 0x1234] = base;
    char text[kSymbolTextSize];
    DWORD64 found = 0;
    ASSERT_EQ(1, GetModuleName(debugHelp.entries, base + 0x1234, text, &found));
    EXPECT_STREQ("crash_tests.exe", text) << "the file name with its extension";
    EXPECT_EQ(base, found);
    EXPECT_EQ("crash_tests.exe@0x1234", Describe(debugHelp.entries, base + 0x1234));
    EXPECT_EQ(0, GetModuleName(debugHelp.entries, 0x999, text, &found));
}

TEST(DescribeAddress, FakeOverlongSymbolIsCutTo259Characters)
{
    C_FakeDebugHelp debugHelp;
    debugHelp.fake.symbols[0x401000] = std::string(400, 'n');
    EXPECT_EQ(std::string(kSymbolTextSize - 1, 'n'), Describe(debugHelp.entries, 0x401000));
}

TEST(WriteStack, FakeFramesGiveOneLinePerFrameAndStopAtReturnAddressZero)
{
    C_FakeDebugHelp debugHelp;
    FakeDebugHelp& fake = debugHelp.fake;
    fake.frames = {{0x401005, 0x402000, {1, 2, 3, 4}},
                   {0x7FFE0300, 0x402001, {9, 9, 9, 9}},
                   {0x402001, 0x403000, {0xFFFFFFFF12345678ULL, 6, 7, 8}},
                   {0x10000, 0x404000, {0, 0, 0, 0}},
                   {0xFFFFFFFF80001000ULL, 0, {0xA, 0xB, 0xC, 0xD}},
                   {0x405000, 0x406000, {0, 0, 0, 0}}};
    fake.symbols[0x401005] = "Crash";
    fake.lines[0x401005] = {"C:\\src\\a.cpp", 34};
    fake.symbols[0x402001] = "main";
    fake.modules[0x402001] = "app";
    fake.modules[0x401005] = "notused";

    CONTEXT context;
    memset(&context, 0, sizeof(context));
    context.Eip = 0x401005;
    context.Ebp = 0x65FE88;
    context.Esp = 0x65FE4C;
    UINT before = SetErrorMode(0);
    C_TempReport report;
    WriteStack(&debugHelp.entries, &context, report.Handle());
    UINT after = SetErrorMode(before);

    EXPECT_EQ((std::vector<std::string>{"Crash(0x1,0x2,0x3,0x4) - Line 34 in C:\\src\\a.cpp",
                                        "app:main(0x12345678,0x6,0x7,0x8)", "0x00010000(0x0,0x0,0x0,0x0)",
                                        "0x80001000(0xA,0xB,0xC,0xD)"}),
              report.Lines());
    EXPECT_EQ(5u, fake.next) << "the walk ends at the frame whose return address is 0";
    EXPECT_TRUE(fake.argumentsRight);
    EXPECT_EQ(0x401005u, fake.firstFrame.AddrPC.Offset);
    EXPECT_EQ(AddrModeFlat, fake.firstFrame.AddrPC.Mode);
    EXPECT_EQ(0x65FE88u, fake.firstFrame.AddrFrame.Offset);
    EXPECT_EQ(AddrModeFlat, fake.firstFrame.AddrFrame.Mode);
    EXPECT_EQ(0u, fake.firstFrame.AddrStack.Offset);
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, fake.errorMode & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(0u, after) << "the error mode is restored";
}

TEST(WriteStack, FakeRepeatedAddressOrFailedWalkEndsIt)
{
    C_FakeDebugHelp debugHelp;
    debugHelp.fake.frames = {{0x401000, 0x401000, {}}, {0x401000, 0x402000, {}}, {0x403000, 0x404000, {}}};
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    C_TempReport report;
    WriteStack(&debugHelp.entries, &context, report.Handle());
    EXPECT_EQ((std::vector<std::string>{"0x00401000(0x0,0x0,0x0,0x0)"}), report.Lines());
    EXPECT_EQ(2u, debugHelp.fake.next);

    C_FakeDebugHelp empty;
    C_TempReport none;
    WriteStack(&empty.entries, &context, none.Handle());
    EXPECT_EQ("", none.Text());
}
