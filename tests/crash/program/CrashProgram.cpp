// Crashes on purpose for the end-to-end test: it gets its handler by static construction like the
// real program, names its main thread and reads from address 0 on it; after the crash files a filter
// of its own raises a second exception on another thread. It logs what it did to "output.log".
// Argument: a debug help library to load instead of "dbghelp.dll" (a missing one).
#include <windows.h>
#include <intrin.h>

#include <stdio.h>
#include <string.h>

#include "crash/CrashHandler.h"

static C_CrashHandler s_crashHandler;

namespace
{

LPTOP_LEVEL_EXCEPTION_FILTER s_installed = NULL;
volatile LONG s_calls = 0;
int* volatile s_nowhere = NULL;
int* volatile s_badAddress = reinterpret_cast<int*>(0xBAD);

const int kFirstLine = __LINE__ + 1;
int ReadFromAddressZero() // called through a volatile pointer: never inlined
{
    return *s_nowhere;
}
const int kLastLine = __LINE__ - 1;

DWORD WINAPI WriteToBadAddress(void*)
{
    printf("second %lu\n", GetCurrentThreadId());
    fflush(stdout);
    *s_badAddress = 1;
    return 0;
}

LONG WINAPI ChainFilter(EXCEPTION_POINTERS* pointers)
{
    LONG call = InterlockedIncrement(&s_calls), result = s_installed(pointers);
    printf("filter %ld %lu %ld\n", call, GetCurrentThreadId(), result);
    fflush(stdout);
    // The second exception ends the process through the system's default handling.
    if (call == 1)
        WaitForSingleObject(CreateThread(NULL, 0, WriteToBadAddress, NULL, 0, NULL), 30000);
    return result;
}

// This thread's information block, from its Self field at FS:0x18 (GS:0x30 on x64); the offset is
// hidden from the compiler, which would take the read for an access to that low address.
NT_TIB* OwnBlock()
{
#if defined(_WIN64)
    static volatile DWORD self = 0x30;
    return reinterpret_cast<NT_TIB*>(__readgsqword(self));
#else
    static volatile DWORD self = 0x18;
    return reinterpret_cast<NT_TIB*>((ULONG_PTR)__readfsdword(self));
#endif
}

} // namespace

int main(int argc, char** argv)
{
    freopen("output.log", "w", stdout);
    // A name longer than the report keeps (99 characters), in the thread's information block.
    static char name[150] = "crashing main thread ";
    memset(name + 21, 'x', sizeof(name) - 22);
    OwnBlock()->ArbitraryUserPointer = name;
    s_installed = SetUnhandledExceptionFilter(ChainFilter);
    if (s_installed != &C_CrashHandler::OnUnhandledException)
        return 3; // the handler's filter was not installed
    if (argc > 1)
        s_crashHandler.SetDebugHelpName(argv[1]);
    int (*volatile crash)() = ReadFromAddressZero;
    printf("main %lu 0x%p %d-%d\n", GetCurrentThreadId(), reinterpret_cast<void*>(crash), kFirstLine,
           kLastLine);
    fflush(stdout);
    return crash();
}
