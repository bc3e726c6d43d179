#include <gtest/gtest.h>

#include "support/Pump.h"
#include "sys/Thread.h"

namespace
{

// Blocks until the test lets it go, then returns its value.
struct Gate
{
    HANDLE arrived = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    ~Gate() { CloseHandle(arrived), CloseHandle(release); }
};

DWORD WaitAtGate(void* data, DWORD value)
{
    Gate* gate = static_cast<Gate*>(data);
    SetEvent(gate->arrived);
    WaitForSingleObject(gate->release, INFINITE);
    return value;
}

DWORD ReturnValue(void*, DWORD value)
{
    return value;
}

} // namespace

TEST(C_Thread, RefusesAStartWhileRunningTimesOutAndWaitZeroWaitsWithoutLimit)
{
    Gate gate;
    C_Thread thread, opener;
    ASSERT_EQ(1, thread.Start(WaitAtGate, &gate, 11));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.arrived, 5000));
    EXPECT_EQ(0, thread.Start(ReturnValue, NULL, 22));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, thread.Wait(200));
    EXPECT_GE(ElapsedSince(start), 190u);
    opener.Start([](void* gate, DWORD)
                 { return Sleep(300), (DWORD)SetEvent(static_cast<Gate*>(gate)->release); },
                 &gate, 0);
    EXPECT_EQ(1, thread.Wait(0));
    EXPECT_EQ(0, thread.IsRunning());
    EXPECT_EQ(11u, thread.Result()) << "the refused start changed the run";
}

TEST(C_Thread, WaitWithoutARunReturnsAtOnceAndDispatchesNothing)
{
    C_Thread thread;
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, thread.Wait(3000));
    EXPECT_LT(ElapsedSince(start), 500u);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP + 1, WM_APP + 1, PM_REMOVE)) << "dispatched";
}

// The value of a new handle: the system hands out the lowest free slot, so leaked handles push it up.
static ULONG_PTR NextHandleValue()
{
    HANDLE probe = CreateEventA(NULL, FALSE, FALSE, NULL);
    CloseHandle(probe);
    return (ULONG_PTR)probe;
}

TEST(C_Thread, RunsThatEndBeforeStartReturnsLeakNoHandle)
{
    // A routine may finish before CreateThread has even returned the handle to Start.
    C_Thread thread;
    const ULONG_PTR before = NextHandleValue();
    for (DWORD i = 0; i < 200; i++)
    {
        ASSERT_EQ(1, thread.Start(ReturnValue, NULL, i)) << "run " << i;
        thread.Wait(5000);
        ASSERT_EQ(i, thread.Result());
    }
    EXPECT_LT(NextHandleValue(), before + 10 * sizeof(HANDLE)) << std::hex << before;
}

TEST(C_Thread, DestroyingARunningThreadTerminatesItWithExitCodeZero)
{
    Gate gate;
    C_Thread* thread = new C_Thread;
    ASSERT_EQ(1, thread->Start(WaitAtGate, &gate, 77));
    // Stopped inside its routine: a thread killed while it still starts up may hold the loader lock.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.arrived, 5000));
    HANDLE observer = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, thread->ThreadId());
    ASSERT_TRUE(observer != NULL);
    delete thread;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(observer, 2000));
    DWORD code = 1234;
    EXPECT_TRUE(GetExitCodeThread(observer, &code));
    EXPECT_EQ(0u, code);
    CloseHandle(observer);
}
