#include "crash/CrashHandler.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "crash/CrashReport.h"
#include "crash/DumpRecords.h"
#include "sys/Thread.h"
#include "sys/Library.h"

namespace
{

volatile LONG s_reported = 0;
// The thread whose exception was reported, once the files are written.
volatile DWORD s_reportedThread = 0;
// The constructed handler, or null before its construction and after its destruction.
C_CrashHandler* s_handler = NULL;
// The program's own image, whose faults are never handled.
ULONG_PTR s_imageBase = 0, s_imageSize = 0;
C_Thread s_watch;

const char kDebugHelpName[] = "dbghelp.dll";

// What the crash writer needs, filled in by the crashed thread.
struct CrashJob
{
    C_DebugHelp* debugHelp;
    const char* debugHelpName;
    EXCEPTION_POINTERS* pointers;
    DWORD threadId;
    // 0 when the job runs on the crashed thread itself, which cannot describe itself in a dump.
    int dump;
};

HANDLE CreateCrashFile(const wchar_t* suffix)
{
    wchar_t executable[MAX_PATH];
    // A path that fills the buffer has been cut (and is left unterminated on some systems).
    DWORD length = GetModuleFileNameW(NULL, executable, MAX_PATH);
    wchar_t name[kCrashNameSize];
    GetCrashFileName(length > 0 && length < MAX_PATH ? executable : NULL, suffix, name);
    return CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

DWORD WriteCrashJob(void* data, DWORD)
{
    CrashJob& job = *static_cast<CrashJob*>(data);
    C_DumpRecords records(NULL);
    if (job.debugHelp->LoadDebugHelp(job.debugHelpName))
    {
        records.queryThread = job.debugHelp->QueryThread();
        HANDLE dump = CreateCrashFile(L"_Debug.dmp");
        if (dump != INVALID_HANDLE_VALUE)
        {
            MINIDUMP_EXCEPTION_INFORMATION exception;
            exception.ThreadId = job.threadId;
            exception.ExceptionPointers = job.pointers;
            exception.ClientPointers = FALSE;
            MINIDUMP_CALLBACK_INFORMATION callback;
            callback.CallbackRoutine = CollectDumpRecord;
            callback.CallbackParam = &records;
            if (job.dump)
                job.debugHelp->Entries()->miniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), dump,
                                                            MiniDumpNormal, &exception, NULL, &callback);
            CloseHandle(dump);
        }
    }

    HANDLE text = CreateCrashFile(L"_Debug.txt");
    if (text != INVALID_HANDLE_VALUE)
    {
        WriteTextReport(text, job.pointers, job.threadId, job.debugHelp->Entries(), &records);
        CloseHandle(text);
    }
    job.debugHelp->UnloadDebugHelp();
    return 0;
}

DWORD EndProcessAfter(void* thread, DWORD code)
{
    WaitForSingleObject(thread, INFINITE);
    TerminateProcess(GetCurrentProcess(), code);
    return 0;
}

// The system's handling that follows the filter may end the crashed thread alone: under Wine it does
// so after a stack overflow, for want of stack, and the rest of the program would run on without end.
// The process then ends with the exception's code, as an unhandled exception ends it elsewhere.
void EndProcessWithThisThread(DWORD code)
{
    HANDLE self = NULL;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE,
                         FALSE, 0))
        return;
    if (!s_watch.Start(EndProcessAfter, self, code))
        CloseHandle(self);
}

// Some frames of the system handle the exceptions that pass through them, so that these never become
// unhandled: under Wine the dispatch of a paint message does, and a faulting paint handler faults again
// at every paint, unreported. The program handles none of its own faults, so a fault in its own code
// is made unhandled at once.
LONG CALLBACK OnProgramFault(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (!IsProgramFault(record, s_imageBase, s_imageSize))
        return EXCEPTION_CONTINUE_SEARCH;
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        C_CrashHandler::OnStackOverflow(pointers);
    // The reported thread runs the program's code again after its report: a frame of the system went
    // on after the fault, and would after every other.
    if (s_reportedThread == GetCurrentThreadId())
        TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    LONG result = UnhandledExceptionFilter(pointers);
    // What the outermost frame of a thread does with an unhandled exception.
    if (result == EXCEPTION_EXECUTE_HANDLER)
        TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    return result == EXCEPTION_CONTINUE_EXECUTION ? result : EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

int IsProgramFault(const EXCEPTION_RECORD& record, ULONG_PTR imageBase, ULONG_PTR imageSize)
{
    return (record.ExceptionCode & 0xF0000000) == 0xC0000000 &&
           (ULONG_PTR)record.ExceptionAddress - imageBase < imageSize;
}

C_CrashHandler::C_CrashHandler() : m_debugHelpName(kDebugHelpName)
{
    s_handler = this;
    SetUnhandledExceptionFilter(OnUnhandledException);

    BYTE* image = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image + reinterpret_cast<IMAGE_DOS_HEADER*>(image)->e_lfanew);
    s_imageBase = reinterpret_cast<ULONG_PTR>(image);
    s_imageSize = headers->OptionalHeader.SizeOfImage;
    typedef PVOID(WINAPI * AddHandler)(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
    C_Library kernel32;
    if (kernel32.Load("kernel32.dll"))
        if (AddHandler add = kernel32.Get<AddHandler>("AddVectoredExceptionHandler"))
            add(0, OnProgramFault);
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
    s_reportedThread = GetCurrentThreadId();
    EndProcessWithThisThread(pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

static DWORD WINAPI WriteOverflowJob(void* job)
{
    return WriteCrashJob(job, 0);
}

void C_CrashHandler::OnStackOverflow(EXCEPTION_POINTERS* pointers)
{
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (s_handler && ClaimFirstReport(&s_reported))
    {
        CrashJob job = {&s_handler->m_debugHelp, s_handler->m_debugHelpName, pointers, GetCurrentThreadId(),
                        1};
        // Nothing is dispatched while it waits: a handler that ran here would overflow again.
        HANDLE writer = CreateThread(NULL, 0, WriteOverflowJob, &job, 0, NULL);
        if (writer)
            WaitForSingleObject(writer, INFINITE);
    }
    TerminateProcess(GetCurrentProcess(), code);
}

void C_CrashHandler::UnloadDebugHelp()
{
    m_debugHelp.UnloadDebugHelp();
}

void C_CrashHandler::WriteCrashFiles(EXCEPTION_POINTERS* pointers)
{
    WriteCrashFilesWith(m_debugHelp, m_debugHelpName, pointers);
}

void GetCrashFileName(const wchar_t* executablePath, const wchar_t* suffix, wchar_t* name)
{
    if (!executablePath || !executablePath[0])
    {
        _snwprintf(name, kCrashNameSize - 1, L"MiniDump%s", suffix);
        name[kCrashNameSize - 1] = 0;
        return;
    }
    // A drive path and a UNC path take the long form, which only the wide calls understand.
    const wchar_t* prefix = L"";
    if (executablePath[0] && executablePath[1] == L':')
        prefix = L"\\\\?\\";
    else if (wcsncmp(executablePath, L"\\\\", 2) == 0 && wcsncmp(executablePath, L"\\\\?\\", 4) != 0)
    {
        prefix = L"\\\\?\\UNC";
        executablePath++;
    }
    // In UTF-16 no part of another character looks like a backslash or a dot.
    const wchar_t* slash = wcsrchr(executablePath, L'\\');
    const wchar_t* dot = wcsrchr(slash ? slash : executablePath, L'.');
    int length = dot ? (int)(dot - executablePath) : (int)wcslen(executablePath);
    _snwprintf(name, kCrashNameSize - 1, L"%s%.*s%s", prefix, length, executablePath, suffix);
    name[kCrashNameSize - 1] = 0;
}

void WriteCrashFilesWith(C_DebugHelp& debugHelp, const char* debugHelpName, EXCEPTION_POINTERS* pointers)
{
    // After a stack overflow the crashed thread has only a few KB of stack left, and under Wine
    // SetThreadStackGuarantee gives it no more: the library, both files and the stack walk take about
    // 23 KB, so they are done on a thread with a stack of its own while the crashed thread waits.
    CrashJob job = {&debugHelp, debugHelpName, pointers, GetCurrentThreadId(), 1};
    C_Thread writer;
    if (!writer.Start(WriteCrashJob, &job, 0))
    {
        job.dump = 0;
        WriteCrashJob(&job, 0);
        return;
    }
    // Other threads that send to this thread's windows are served, so that they do not block; its own
    // timers and paints are not, since the handler that crashed would run again inside this filter.
    writer.Wait(0, kPumpSentOnly);
    // A failed wait: the job still uses this thread's objects.
    while (writer.IsRunning())
        Sleep(10);
}
