#include "crash/CrashHandler.h"

#include <stdio.h>
#include <string.h>

#include "crash/CrashReport.h"
#include "crash/DumpRecords.h"
#include "crash/ReportLine.h"
#include "ui/Text.h"
#include "sys/Thread.h"

namespace
{

volatile LONG s_reported = 0;
// The constructed handler, or null before its construction and after its destruction.
C_CrashHandler* s_handler = NULL;

const char kDebugHelpName[] = "dbghelp.dll";

struct DumpJob
{
    const DebugHelpEntries* entries;
    HANDLE file;
    MINIDUMP_EXCEPTION_INFORMATION* exception;
    MINIDUMP_CALLBACK_INFORMATION* callback;
};

DWORD WriteDump(void* data, DWORD)
{
    DumpJob* job = static_cast<DumpJob*>(data);
    job->entries->miniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), job->file, MiniDumpNormal,
                                    job->exception, NULL, job->callback);
    return 0;
}

HANDLE CreateCrashFile(const char* base, const char* suffix)
{
    char name[MAX_PATH + 16];
    _snprintf(name, sizeof(name) - 1, "%s%s", base, suffix);
    name[sizeof(name) - 1] = 0;
    return CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

} // namespace

C_CrashHandler::C_CrashHandler() : m_debugHelpName(kDebugHelpName)
{
    s_handler = this;
    SetUnhandledExceptionFilter(OnUnhandledException);
}

C_CrashHandler::~C_CrashHandler()
{
    UnloadDebugHelp();
    if (s_handler == this)
        s_handler = NULL;
}

int ClaimFirstReport(volatile LONG* reported)
{
    return InterlockedCompareExchange(reported, 1, 0) == 0;
}

LONG WINAPI C_CrashHandler::OnUnhandledException(EXCEPTION_POINTERS* pointers)
{
    if (!ClaimFirstReport(&s_reported))
        return EXCEPTION_CONTINUE_SEARCH;
    if (s_handler)
    {
        s_handler->WriteCrashFiles(pointers);
    }
    else
    {
        // A crash during the static destruction, after the handler's own.
        C_DebugHelp debugHelp;
        WriteCrashFilesWith(debugHelp, kDebugHelpName, pointers);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

int C_CrashHandler::LoadDebugHelp()
{
    return m_debugHelp.LoadDebugHelp(m_debugHelpName);
}

void C_CrashHandler::UnloadDebugHelp()
{
    m_debugHelp.UnloadDebugHelp();
}

void C_CrashHandler::WriteCrashFiles(EXCEPTION_POINTERS* pointers)
{
    WriteCrashFilesWith(m_debugHelp, m_debugHelpName, pointers);
}

void GetCrashBaseName(const char* executablePath, char* base)
{
    if (!executablePath || !executablePath[0])
    {
        strcpy(base, "MiniDump");
        return;
    }
    CopyWholeCharacters(base, MAX_PATH, executablePath, CP_ACP);
    const char* slash = FindLastChar(base, '\\', CP_ACP);
    char* name = slash ? base + (slash - base) + 1 : base;
    const char* dot = FindLastChar(name, '.', CP_ACP);
    if (dot)
        base[dot - base] = 0;
}

void WriteCrashFilesWith(C_DebugHelp& debugHelp, const char* debugHelpName, EXCEPTION_POINTERS* pointers)
{
    C_Thread dumpThread;
    C_DumpRecords records(NULL);

    char executable[MAX_PATH];
    char base[MAX_PATH];
    GetCrashBaseName(GetExecutablePath(executable) ? executable : NULL, base);

    if (debugHelp.LoadDebugHelp(debugHelpName))
    {
        records.queryThread = debugHelp.QueryThread();
        HANDLE dump = CreateCrashFile(base, "_Debug.dmp");
        if (dump != INVALID_HANDLE_VALUE)
        {
            MINIDUMP_EXCEPTION_INFORMATION exception;
            exception.ThreadId = GetCurrentThreadId();
            exception.ExceptionPointers = pointers;
            exception.ClientPointers = FALSE;
            MINIDUMP_CALLBACK_INFORMATION callback;
            callback.CallbackRoutine = CollectDumpRecord;
            callback.CallbackParam = &records;
            DumpJob job = {debugHelp.Entries(), dump, &exception, &callback};
            if (dumpThread.Start(WriteDump, &job, 0))
            {
                dumpThread.Wait(0);
                // A quit message ends the pumping wait early, while the dump thread may still write
                // the file and append records. It stays queued for the program's own loop; the dump
                // is finished first, without dispatching, before the file is closed and the lists
                // are read.
                while (dumpThread.IsRunning())
                    Sleep(10);
            }
            CloseHandle(dump);
        }
    }

    HANDLE text = CreateCrashFile(base, "_Debug.txt");
    if (text != INVALID_HANDLE_VALUE)
    {
        WriteTextReport(text, pointers, debugHelp.Entries(), &records);
        CloseHandle(text);
    }
    debugHelp.UnloadDebugHelp();
}
