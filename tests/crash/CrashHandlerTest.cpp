#include "CrashTestFiles.h"
#include "crash/CrashHandler.h"

TEST(CrashBaseName, OnlyADotOfTheFileNameCutsTheExtension)
{
    const char* const kRows[][2] = {{"D:\\Tools\\Viewer.exe", "D:\\Tools\\Viewer"},
                                    {"D:\\Tools\\Viewer.1.2.exe", "D:\\Tools\\Viewer.1.2"},
                                    {"D:\\Tools.old\\Viewer", "D:\\Tools.old\\Viewer"},
                                    {"Viewer.exe", "Viewer"},
                                    {"", "MiniDump"},
                                    {NULL, "MiniDump"}};
    for (const auto& row : kRows)
    {
        char base[MAX_PATH];
        GetCrashBaseName(row[0], base);
        EXPECT_STREQ(row[1], base) << (row[0] ? row[0] : "(null)");
    }
}

namespace
{

HANDLE s_start;
volatile LONG s_reported, s_winners;

DWORD WINAPI Racer(void*)
{
    WaitForSingleObject(s_start, INFINITE);
    if (ClaimFirstReport(&s_reported))
        InterlockedIncrement(&s_winners);
    return 0;
}

} // namespace

TEST(ClaimFirstReport, ExactlyOneOfThreadsStartedAtOnceReports)
{
    for (int round = 0; round < 20; round++)
    {
        s_start = CreateEventA(NULL, TRUE, FALSE, NULL);
        s_reported = s_winners = 0;
        HANDLE threads[8];
        for (HANDLE& thread : threads)
            thread = CreateThread(NULL, 0, Racer, NULL, 0, NULL);
        SetEvent(s_start);
        WaitForMultipleObjects(8, threads, TRUE, 10000);
        for (HANDLE handle : threads)
            CloseHandle(handle);
        CloseHandle(s_start);
        ASSERT_EQ(1, s_winners) << "round " << round;
        ASSERT_EQ(0, ClaimFirstReport(&s_reported)) << "nor anybody after";
    }
}

TEST(WriteCrashFiles, QuitMessageDuringTheDumpWaitStillGetsWholeDumpAndLists)
{
    const std::string base = ThisFolder() + "crash_tests_Debug";
    DeleteFileA((base + ".dmp").c_str());
    DeleteFileA((base + ".txt").c_str());
    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {EXCEPTION_ACCESS_VIOLATION,           0, NULL,
                               reinterpret_cast<void*>(&ThisFolder), 2, {1, 0x44}};
    EXCEPTION_POINTERS pointers = {&record, &context};
    // Queued before the wait, the quit message ends it while the dump thread has only just started.
    PostQuitMessage(7);
    C_DebugHelp debugHelp;
    WriteCrashFilesWith(debugHelp, "dbghelp.dll", &pointers);

    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) << "kept for the program's loop";
    EXPECT_EQ(7u, message.wParam);
    EXPECT_EQ(NULL, debugHelp.Entries()) << "unloaded afterwards";
    ExpectValidMinidump(ReadWholeFile(base + ".dmp"), GetCurrentThreadId(), EXCEPTION_ACCESS_VIOLATION);
    const std::string report = ReadWholeFile(base + ".txt");
    EXPECT_NE(std::string::npos, report.find(std::string(".\r\nWrite to location 0x") +
                                             (sizeof(void*) == 8 ? "00000000" : "") + "00000044.\r\n"))
        << report;
    EXPECT_NE(std::string::npos, report.find("\r\n\r\nStack:\r\n"));
    EXPECT_NE(std::string::npos, report.find("\r\n\r\nModuleList:\r\n"));
    EXPECT_NE(std::string::npos, report.find("\r\n" + std::to_string(GetCurrentThreadId()) + " ")) << report;
}
