// Crashes on purpose for the end-to-end test: it gets its handler by static construction like the
// real program, reads from address 0 on its main thread, and once the crash files are written a
// filter of its own raises a second exception on another thread. It tells what it did on its standard
// output. Argument: a debug help library to load instead of "dbghelp.dll" (a missing one).
#include <windows.h>

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

const int kFirstLine = __LINE__ + 1;
KARPOLIN_NOINLINE int ReadFromAddressZero()
{
    return *s_nowhere;
}
const int kLastLine = __LINE__ - 1;

DWORD WINAPI WriteToBadAddress(void*)
{
    *s_badAddress = 1;
    return 0;
}

LONG WINAPI ChainFilter(EXCEPTION_POINTERS* pointers)
{
    LONG call = InterlockedIncrement(&s_calls);
    LONG result = s_installed(pointers);
    printf("filter %ld thread %lu result %ld\n", call, GetCurrentThreadId(), result);
    DWORD id = 0;
    HANDLE second = call == 1 ? CreateThread(NULL, 0, WriteToBadAddress, NULL, 0, &id) : NULL;
    if (second)
        printf("second thread %lu\n", id);
    fflush(stdout);
    // The second exception ends the process through the system's default handling.
    if (second)
        WaitForSingleObject(second, 30000);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    s_installed = SetUnhandledExceptionFilter(ChainFilter);
    if (s_installed != &C_CrashHandler::OnUnhandledException)
    {
        printf("the crash handler's filter was not installed\n");
        return 3;
    }
    if (argc > 1)
        s_crashHandler.SetDebugHelpName(argv[1]);
    int (*volatile crash)() = ReadFromAddressZero;
    printf("main thread %lu function 0x%08X lines %d-%d\n", GetCurrentThreadId(), (unsigned)(ULONG_PTR)crash,
           kFirstLine, kLastLine);
    fflush(stdout);
    return crash();
}
