#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "CrashTestFiles.h"
#include "crash/CrashHandler.h"

namespace
{

std::string BaseName(const char* path)
{
    char base[MAX_PATH];
    GetCrashBaseName(path, base);
    return base;
}

} // namespace

TEST(CrashBaseName, ExecutablePathWithoutItsExtension)
{
    EXPECT_EQ("D:\\Tools\\Viewer", BaseName("D:\\Tools\\Viewer.exe"));
    EXPECT_EQ("D:\\Tools\\Viewer.1.2", BaseName("D:\\Tools\\Viewer.1.2.exe"));
    EXPECT_EQ("D:\\Tools\\Viewer", BaseName("D:\\Tools\\Viewer")) << "a name without a dot is kept whole";
    EXPECT_EQ("D:\\Tools.old\\Viewer", BaseName("D:\\Tools.old\\Viewer"))
        << "a dot of the folder is no extension: the files stay next to the executable";
    EXPECT_EQ("Viewer", BaseName("Viewer.exe"));
    EXPECT_EQ("MiniDump", BaseName(NULL));
    EXPECT_EQ("MiniDump", BaseName(""));
}

TEST(ClaimFirstReport, OnlyTheFirstCallerReports)
{
    volatile LONG reported = 0;
    EXPECT_EQ(1, ClaimFirstReport(&reported));
    EXPECT_EQ(0, ClaimFirstReport(&reported));
    EXPECT_EQ(0, ClaimFirstReport(&reported));
}

namespace
{

struct Race
{
    HANDLE start = CreateEventA(NULL, TRUE, FALSE, NULL);
    volatile LONG reported = 0;
    volatile LONG winners = 0;
    ~Race() { CloseHandle(start); }
};

DWORD WINAPI Racer(void* data)
{
    Race* race = static_cast<Race*>(data);
    WaitForSingleObject(race->start, INFINITE);
    if (ClaimFirstReport(&race->reported))
        InterlockedIncrement(&race->winners);
    return 0;
}

} // namespace

TEST(ClaimFirstReport, ExactlyOneOfThreadsStartedAtOnceReports)
{
    for (int round = 0; round < 20; round++)
    {
        Race race;
        HANDLE threads[8];
        for (HANDLE& thread : threads)
            thread = CreateThread(NULL, 0, Racer, &race, 0, NULL);
        SetEvent(race.start);
        WaitForMultipleObjects(8, threads, TRUE, 10000);
        for (HANDLE thread : threads)
            CloseHandle(thread);
        ASSERT_EQ(1, race.winners) << "round " << round;
    }
}

namespace
{

// An exception as the system would hand it to the filter, raised nowhere. Its context is taken by
// CAPTURE in the test itself, whose frame lives on while the crash files are written.
struct FakeException
{
    EXCEPTION_RECORD record;
    CONTEXT context;
    EXCEPTION_POINTERS pointers;

    FakeException()
    {
        memset(&record, 0, sizeof(record));
        memset(&context, 0, sizeof(context));
        record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
        record.NumberParameters = 2;
        record.ExceptionInformation[0] = 1;
        record.ExceptionInformation[1] = 0x44;
        context.ContextFlags = CONTEXT_FULL;
        pointers.ExceptionRecord = &record;
        pointers.ContextRecord = &context;
    }
    void Captured() { record.ExceptionAddress = reinterpret_cast<void*>((ULONG_PTR)context.Eip); }
};

#define CAPTURE(exception)                                                                                   \
    RtlCaptureContext(&(exception).context);                                                                 \
    (exception).Captured()

std::string CrashFile(const char* suffix)
{
    return ThisFolder() + "crash_tests_Debug" + suffix;
}

void RemoveCrashFiles()
{
    DeleteFileA(CrashFile(".dmp").c_str());
    DeleteFileA(CrashFile(".txt").c_str());
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The report's line that starts with `start`, or "".
std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    for (const std::string& line : lines)
        if (line.compare(0, start.size(), start) == 0)
            return line;
    return "";
}

} // namespace

TEST(WriteCrashFiles, QuitMessageDuringTheDumpWaitStillGetsWholeDumpAndLists)
{
    RemoveCrashFiles();
    C_DebugHelp debugHelp;
    FakeException exception;
    CAPTURE(exception);
    // Queued before the wait begins, the quit message ends the pumping wait at once, while the dump
    // thread has only just started.
    PostQuitMessage(7);
    WriteCrashFilesWith(debugHelp, "dbghelp.dll", &exception.pointers);

    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the quit request is kept for the loop";
    EXPECT_EQ(7u, message.wParam);
    EXPECT_EQ(NULL, debugHelp.Entries()) << "the library is unloaded afterwards";

    ExpectValidMinidump(ReadWholeFile(CrashFile(".dmp")), GetCurrentThreadId(), EXCEPTION_ACCESS_VIOLATION);
    std::vector<std::string> lines = SplitReportLines(ReadWholeFile(CrashFile(".txt")));
    ASSERT_GE(lines.size(), 2u);
    char expected[80];
    sprintf(expected, "Access Violation [0xC0000005] at 0x%08X in Thread %u.",
            (unsigned)exception.context.Eip, (unsigned)GetCurrentThreadId());
    EXPECT_EQ(expected, lines[0]);
    EXPECT_EQ("Write to location 0x00000044.", lines[1]);
    EXPECT_NE("", LineStartingWith(lines, "Stack:"));
    EXPECT_NE("", LineStartingWith(lines, "ModuleList:"));
    EXPECT_NE("", LineStartingWith(lines, "ThreadList:"));
    EXPECT_NE("", LineStartingWith(lines, std::to_string(GetCurrentThreadId()) + " "));
    RemoveCrashFiles();
}

TEST(OnUnhandledException, ReportsTheFirstExceptionOnlyAndAlwaysContinuesTheSearch)
{
    RemoveCrashFiles();
    C_CrashHandler handler;
    EXPECT_EQ(&C_CrashHandler::OnUnhandledException, SetUnhandledExceptionFilter(NULL))
        << "construction installs it";
    FakeException first;
    CAPTURE(first);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, C_CrashHandler::OnUnhandledException(&first.pointers));
    EXPECT_TRUE(Exists(CrashFile(".dmp")));
    EXPECT_TRUE(Exists(CrashFile(".txt")));
    RemoveCrashFiles();

    FakeException second;
    CAPTURE(second);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, C_CrashHandler::OnUnhandledException(&second.pointers));
    EXPECT_FALSE(Exists(CrashFile(".dmp"))) << "a second exception writes nothing";
    EXPECT_FALSE(Exists(CrashFile(".txt")));
}
