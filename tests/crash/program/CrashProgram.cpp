// Crashes on purpose for the end-to-end test: it gets its handler by static construction like the real
// program, names its main thread and crashes where and how its first two arguments say (kPlaces,
// kCrashes). A filter of its own around the handler's logs to "output.log" what the handler answered,
// and with the third argument "second" raises a second exception on another thread; any other third
// argument names a debug help library to load instead of "dbghelp.dll".
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "crash/CrashHandler.h"
#include "res/Resource.h"
#include "sys/Thread.h"
#include "ui/Dialog.h"

static C_CrashHandler s_crashHandler;

namespace
{

LPTOP_LEVEL_EXCEPTION_FILTER s_installed = NULL;
volatile LONG s_calls = 0, s_second = 0;
int* volatile s_nowhere = NULL;
int* volatile s_badAddress = reinterpret_cast<int*>(0xBAD);
int (*volatile s_crash)() = NULL;

// The crashing functions, between these two lines; each is called through a volatile pointer, so
// none is inlined and the recursion stays a recursion.
const int kFirstLine = __LINE__;
int ReadFromAddressZero()
{
    return *s_nowhere;
}
int WriteToAddressZero()
{
    return *s_nowhere = 1;
}
int Recurse()
{
    volatile char frame[512];
    frame[0] = 1;
    return s_crash() + frame[0];
}
const int kLastLine = __LINE__;

const struct
{
    const char* name;
    int (*run)();
} kCrashes[] = {{"read", ReadFromAddressZero}, {"write", WriteToAddressZero}, {"overflow", Recurse}};

DWORD Crash(void* = NULL, DWORD = 0)
{
    printf("crash %lu\n", GetCurrentThreadId());
    fflush(stdout);
    return s_crash();
}

DWORD WINAPI RaiseSecond(void*)
{
    return *s_badAddress = 1;
}

// Logs each answer of the handler's filter; once the first exception is reported, a second one follows
// on another thread and ends the process through the system's default handling.
LONG WINAPI ChainFilter(EXCEPTION_POINTERS* pointers)
{
    LONG result = s_installed(pointers), call = InterlockedIncrement(&s_calls);
    printf("filter %ld %lu %ld\n", call, GetCurrentThreadId(), result);
    fflush(stdout);
    if (call == 1 && s_second)
        WaitForSingleObject(CreateThread(NULL, 0, RaiseSecond, NULL, 0, NULL), 30000);
    return result;
}

// Not a message: the crash is on a worker thread, while the window runs modally.
const UINT kWorker = WM_APP;
const struct
{
    const char* name;
    UINT place;
} kPlaces[] = {{"main", 0}, {"timer", WM_TIMER}, {"paint", WM_PAINT}, {"worker", kWorker}};

// The real program's main window, crashing in the handler of its `place`.
class C_CrashWindow : public C_Dialog
{
public:
    explicit C_CrashWindow(UINT place) : m_place(place) {}
    int OnInitDialog() override
    {
        if (m_place == WM_TIMER)
            SetTimer(m_window, 1, 50, NULL);
        if (m_place == kWorker)
            m_worker.Start(Crash, NULL, 0);
        return 1;
    }
    INT_PTR OnMessage(UINT message, WPARAM, LPARAM) override { return message == m_place ? Crash() : 0; }

private:
    UINT m_place;
    C_Thread m_worker;
};

} // namespace

// NtCurrentTeb reads FS or GS at a fixed offset, which the compiler takes for an access to that address.
#pragma GCC diagnostic ignored "-Warray-bounds"

int main(int argc, char** argv)
{
    freopen("output.log", "w", stdout);
    // A name longer than the report keeps (99 characters), in the thread's information block.
    static char name[150] = "crashing main thread ";
    memset(name + 21, 'x', sizeof(name) - 22);
    reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ArbitraryUserPointer = name;
    s_installed = SetUnhandledExceptionFilter(ChainFilter);
    if (s_installed != &C_CrashHandler::OnUnhandledException || argc < 3)
        return 3; // the handler's filter was not installed
    s_second = argc > 3 && strcmp(argv[3], "second") == 0;
    if (argc > 3 && !s_second)
        s_crashHandler.SetDebugHelpName(argv[3]);
    for (const auto& crash : kCrashes)
        if (strcmp(argv[2], crash.name) == 0)
            s_crash = crash.run;
    printf("main %lu %d-%d\n", GetCurrentThreadId(), kFirstLine, kLastLine);
    fflush(stdout);
    for (const auto& place : kPlaces)
        if (strcmp(argv[1], place.name) == 0 && s_crash)
            return place.place ? (int)C_CrashWindow(place.place).DoModal(GetModuleHandleA(NULL), IDD_MAIN, 0)
                               : (int)Crash();
    return 4;
}
