// A program that crashes on purpose, for the end-to-end test of the crash handler. Like the real
// program it gets its handler by static construction. It reads from address 0 on its main thread;
// a filter of its own, put in front of the handler's, then raises a second exception on another
// thread once the crash files are written. What it does is written to its standard output.
//
// Argument: the debug help library to use instead of "dbghelp.dll" (a missing one for the test
// without a usable library).
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

#include "crash/CrashHandler.h"

static C_CrashHandler s_crashHandler;

#if defined(_MSC_VER)
#define KARPOLIN_NOINLINE __declspec(noinline)
#else
#define KARPOLIN_NOINLINE __attribute__((noinline))
#endif

namespace
{

LPTOP_LEVEL_EXCEPTION_FILTER s_installed = NULL;
volatile LONG s_calls = 0;

int* volatile s_nowhere = NULL;
int* volatile s_badAddress = reinterpret_cast<int*>(0xBAD);

// The report names the crashing function and a line of it; these are its first and last line.
const int kFirstLine = __LINE__ + 1;
KARPOLIN_NOINLINE int ReadFromAddressZero()
{
    return *s_nowhere;
}
const int kLastLine = __LINE__ - 1;

void Say(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    int length = _vsnprintf(text, sizeof(text) - 1, format, args);
    va_end(args);
    if (length < 0)
        length = sizeof(text) - 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)length, &written, NULL);
}

DWORD WINAPI WriteToBadAddress(void*)
{
    *s_badAddress = 1;
    return 0;
}

LONG WINAPI ChainFilter(EXCEPTION_POINTERS* pointers)
{
    LONG call = InterlockedIncrement(&s_calls);
    LONG result = s_installed(pointers);
    Say("filter %ld thread %lu result %ld\n", call, GetCurrentThreadId(), result);
    if (call == 1)
    {
        DWORD id = 0;
        HANDLE second = CreateThread(NULL, 0, WriteToBadAddress, NULL, 0, &id);
        Say("second thread %lu\n", id);
        // The second thread's exception ends the process through the system's default handling.
        if (second)
            WaitForSingleObject(second, 30000);
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    s_installed = SetUnhandledExceptionFilter(ChainFilter);
    if (s_installed != &C_CrashHandler::OnUnhandledException)
    {
        Say("the crash handler's filter was not installed\n");
        return 3;
    }
    if (argc > 1)
        s_crashHandler.SetDebugHelpName(argv[1]);
    int (*volatile crash)() = ReadFromAddressZero;
    Say("main thread %lu function 0x%08X lines %d-%d\n", GetCurrentThreadId(), (unsigned)(ULONG_PTR)crash,
        kFirstLine, kLastLine);
    return crash();
}
