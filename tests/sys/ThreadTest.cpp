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
    volatile LONG passed = 0;
    ~Gate()
    {
        CloseHandle(arrived);
        CloseHandle(release);
    }
};

DWORD WaitAtGate(void* data, DWORD value)
{
    Gate* gate = static_cast<Gate*>(data);
    SetEvent(gate->arrived);
    WaitForSingleObject(gate->release, INFINITE);
    InterlockedExchange(&gate->passed, 1);
    return value;
}

DWORD ReturnValue(void*, DWORD value)
{
    return value;
}

// Opens the gate after a while, from another thread.
DWORD OpenGateLater(void* data, DWORD delay)
{
    Sleep(delay);
    SetEvent(static_cast<Gate*>(data)->release);
    return 0;
}

DWORD SleepThenReturn(void*, DWORD value)
{
    Sleep(value);
    return value + 1;
}

int QueuedMessages(UINT message)
{
    MSG msg;
    int count = 0;
    while (PeekMessageA(&msg, NULL, message, message, PM_REMOVE))
        count++;
    return count;
}

} // namespace

TEST(C_Thread, StartWhileRunningRefusesAndKeepsDataValueRoutine)
{
    Gate gate;
    C_Thread thread;
    ASSERT_EQ(1, thread.Start(WaitAtGate, &gate, 11));
    int other = 0;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.arrived, 5000));
    EXPECT_EQ(0, thread.Start(ReturnValue, &other, 22));
    EXPECT_EQ(&gate, thread.Data());
    EXPECT_EQ(11u, thread.Value());
    EXPECT_EQ(WaitAtGate, thread.Routine());
    EXPECT_EQ(1, thread.IsRunning());

    C_Thread opener;
    ASSERT_EQ(1, opener.Start(OpenGateLater, &gate, 100));
    EXPECT_EQ(1, thread.Wait(5000));
    EXPECT_EQ(0, thread.IsRunning());
    EXPECT_EQ(11u, thread.Result());
    opener.Wait(0);
}

TEST(C_Thread, WaitWithoutARunReturnsAtOnceAndDispatchesNothing)
{
    C_Thread thread;
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, thread.Wait(3000)); // never started
    EXPECT_LT(ElapsedSince(start), 500u);
    EXPECT_EQ(1, QueuedMessages(WM_APP + 1));

    ASSERT_EQ(1, thread.Start(ReturnValue, NULL, 3));
    thread.Wait(0);
    ASSERT_EQ(0, thread.IsRunning());
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0));
    start = GetTickCount();
    EXPECT_EQ(0, thread.Wait(3000)); // already finished
    EXPECT_LT(ElapsedSince(start), 500u);
    EXPECT_EQ(1, QueuedMessages(WM_APP + 1));
}

TEST(C_Thread, WaitZeroWaitsWithoutLimit)
{
    C_Thread thread;
    ASSERT_EQ(1, thread.Start(SleepThenReturn, NULL, 400));
    DWORD start = GetTickCount();
    EXPECT_EQ(1, thread.Wait(0));
    EXPECT_GE(ElapsedSince(start), 350u);
    EXPECT_EQ(401u, thread.Result());
}

TEST(C_Thread, FiniteWaitTimesOutWhileTheRoutineRuns)
{
    Gate gate;
    C_Thread thread;
    ASSERT_EQ(1, thread.Start(WaitAtGate, &gate, 1));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, thread.Wait(200));
    EXPECT_GE(ElapsedSince(start), 190u);
    EXPECT_EQ(1, thread.IsRunning());
    C_Thread opener;
    ASSERT_EQ(1, opener.Start(OpenGateLater, &gate, 100));
    EXPECT_EQ(1, thread.Wait(5000));
    EXPECT_EQ(1u, thread.Result());
    opener.Wait(0);
}

TEST(C_Thread, CanBeStartedAgainAfterItFinished)
{
    C_Thread thread;
    Gate first;
    C_Thread opener;
    ASSERT_EQ(1, thread.Start(WaitAtGate, &first, 5));
    ASSERT_EQ(1, opener.Start(OpenGateLater, &first, 50));
    ASSERT_EQ(1, thread.Wait(0));
    EXPECT_EQ(5u, thread.Result());
    opener.Wait(0);

    Gate second;
    ASSERT_EQ(1, thread.Start(WaitAtGate, &second, 6));
    ASSERT_EQ(1, opener.Start(OpenGateLater, &second, 50));
    ASSERT_EQ(1, thread.Wait(0));
    EXPECT_EQ(6u, thread.Result());
    EXPECT_EQ(&second, thread.Data());
    EXPECT_EQ(1, second.passed);
}

TEST(C_Thread, RunsThatEndBeforeStartReturnsLeakNoHandle)
{
    // A routine may finish before CreateThread has even returned the handle to Start.
    C_Thread thread;
    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (DWORD i = 0; i < 200; i++)
    {
        ASSERT_EQ(1, thread.Start(ReturnValue, NULL, i));
        thread.Wait(5000);
        ASSERT_EQ(0, thread.IsRunning()) << "run " << i;
        ASSERT_EQ(i, thread.Result());
    }
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_LT(after, before + 10);
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
    SetEvent(gate.release);
    Sleep(50);
    EXPECT_EQ(0, gate.passed) << "the routine went on after the forced stop";
    CloseHandle(observer);
}

TEST(C_Thread, DestroyingAFinishedThreadLeavesItsExitCode)
{
    Gate gate;
    C_Thread* thread = new C_Thread;
    ASSERT_EQ(1, thread->Start(WaitAtGate, &gate, 9));
    HANDLE observer = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, thread->ThreadId());
    ASSERT_TRUE(observer != NULL);
    SetEvent(gate.release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(observer, 2000));
    EXPECT_EQ(0, thread->IsRunning());
    delete thread;
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(observer, &code));
    EXPECT_EQ(9u, code);
    CloseHandle(observer);
}
