#include <gtest/gtest.h>

#include "support/Pump.h"
#include "sys/CriticalSection.h"
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

TEST(C_Thread, WaitsOnlyForARunRefusesAStartWhileRunningTimesOutAndWaitZeroWaitsWithoutLimit)
{
    Gate gate;
    C_Thread thread, opener;
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0));
    EXPECT_EQ(0, thread.Wait(3000)) << "nothing runs";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP + 1, WM_APP + 1, PM_REMOVE)) << "dispatched without a run";
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

// A deleted section holds nobody up, so that an object used after its destruction, as in a crash during
// the static destruction, enters none; initialised again, it excludes again.
TEST(C_CriticalSection, ADeletedOneHoldsNobodyUpAndInitialisedAgainItExcludesAgain)
{
    C_CriticalSection section;
    for (int deleted : {1, 0})
    {
        deleted ? section.Delete() : section.Init();
        section.Enter();
        C_Thread other;
        other.Start(
            [](void* section, DWORD)
            {
                static_cast<C_CriticalSection*>(section)->Enter();
                static_cast<C_CriticalSection*>(section)->Leave();
                return 0ul;
            },
            &section, 0);
        EXPECT_EQ(deleted, other.Wait(300));
        section.Leave();
        other.Wait(5000);
    }
}
