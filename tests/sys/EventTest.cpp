#include <gtest/gtest.h>

#include "support/Pump.h"
#include "sys/Event.h"
#include "sys/Thread.h"

static volatile LONG g_apcRuns = 0;
static void CALLBACK CountApc(ULONG_PTR)
{
    InterlockedIncrement(&g_apcRuns);
}

TEST(RemainingWaitTime, CountsDownAndSurvivesTheTickWrap)
{
    const struct
    {
        DWORD start, now;
        int result;
        DWORD remaining;
    } kRows[] = {{1000, 1200, 1, 300},
                 {1000, 1500, 1, 0},
                 {1000, 1501, 0, 0},
                 // Started just before the 32-bit tick count wraps.
                 {0xFFFFFFF0u, 0x20u, 1, 500 - 0x30},
                 {0xFFFFFFF0u, 0x200u, 0, 0}};
    for (const auto& row : kRows)
    {
        DWORD remaining = 0;
        EXPECT_EQ(row.result, RemainingWaitTime(row.start, row.now, 500, &remaining)) << row.now;
        EXPECT_EQ(row.remaining, remaining) << row.now;
    }
}

TEST(C_Event, AnApcRestartsTheWaitWithTheWholeTimeoutAndASetEndsIt)
{
    C_Event event;
    ASSERT_EQ(1, event.Create(FALSE, FALSE));
    HANDLE self = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    C_Thread helper;
    g_apcRuns = 0;
    helper.Start([](void* self, DWORD) { return Sleep(250), (DWORD)QueueUserAPC(CountApc, self, 0); }, self,
                 0);
    DWORD start = GetTickCount();
    int timedOut = 0;
    EXPECT_EQ(0, event.Wait(400, &timedOut));
    EXPECT_EQ(1, timedOut);
    EXPECT_EQ(1, g_apcRuns);
    // 250 ms until the APC, then the whole 400 ms again
    EXPECT_GE(ElapsedSince(start), 630u);
    ASSERT_EQ(1, event.Set());
    EXPECT_EQ(1, event.Wait(20, &timedOut));
    EXPECT_EQ(0, timedOut);
    helper.Wait(0);
    CloseHandle(self);
}

TEST(C_Event, WaitPumpingEndsOnTimeOrAtTheEventEvenWhenTheQueueNeverEmpties)
{
    const struct
    {
        const char* name;
        DWORD milliseconds;
        int create, setAtOnce;
        DWORD setAfter;
        int result;
        DWORD least, most;
        int dispatched;
    } kRows[] = {{"set before: the queue goes first", 1000, 1, 1, 0, 1, 0, 500, 1},
                 {"time limit", 300, 1, 0, 0, 0, 290, 800, 10},
                 {"no time limit", INFINITE, 1, 0, 100, 1, 90, 800, 10},
                 {"no event: fails at once", 2000, 0, 0, 0, 0, 0, 1000, 1}};
    for (const auto& row : kRows)
    {
        C_CountingWindow window;
        if (row.create)
            window.RepostForever(WM_APP + 3);
        ASSERT_TRUE(PostMessageA(window.Handle(), WM_APP + 3, 0, 0));
        C_Event event;
        ASSERT_EQ(row.create, row.create && event.Create(TRUE, row.setAtOnce));
        C_Thread setter, stopper;
        if (row.setAfter)
            setter.Start([](void* event, DWORD delay) { return Sleep(delay), (DWORD)SetEvent(event); },
                         event.Handle(), row.setAfter);
        // Lets a wait that never looks at the event end after all. It ends with the row, never by being
        // terminated: a thread terminated while it still starts up keeps the loader's lock for ever.
        C_Event rowDone;
        ASSERT_EQ(1, rowDone.Create(TRUE, FALSE));
        struct Stop
        {
            C_CountingWindow* window;
            HANDLE rowDone;
        } stop = {&window, rowDone.Handle()};
        stopper.Start(
            [](void* data, DWORD)
            {
                Stop* stop = static_cast<Stop*>(data);
                if (WaitForSingleObject(stop->rowDone, 3000) == WAIT_TIMEOUT)
                    stop->window->RepostForever(0);
                return 0ul;
            },
            &stop, 0);

        DWORD start = GetTickCount();
        EXPECT_EQ(row.result, event.WaitPumping(row.milliseconds)) << row.name;
        DWORD elapsed = ElapsedSince(start);
        EXPECT_GE(elapsed, row.least) << row.name;
        EXPECT_LT(elapsed, row.most) << row.name;
        EXPECT_GE(window.Count(WM_APP + 3), row.dispatched) << row.name;
        window.RepostForever(0);
        rowDone.Set();
        stopper.Wait(0);
        setter.Wait(0);
    }
}

TEST(C_Event, QuitDuringWaitPumpingEndsItAndIsPostedAgain)
{
    C_Event event;
    ASSERT_EQ(1, event.Create(TRUE, FALSE));
    C_Thread quitter;
    quitter.Start([](void*, DWORD thread)
                  { return Sleep(100), (DWORD)PostThreadMessageA(thread, WM_QUIT, 42, 0); },
                  NULL, GetCurrentThreadId());
    DWORD start = GetTickCount();
    EXPECT_EQ(0, event.WaitPumping(3000));
    EXPECT_LT(ElapsedSince(start), 2000u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(42u, msg.wParam);
}

TEST(C_Event, WaitPumpingSentOnlyAnswersOtherThreadsAndLeavesTimersAndPostedMessages)
{
    C_CountingWindow window;
    SetTimer(window.Handle(), 1, 1, NULL);
    ASSERT_TRUE(PostMessageA(window.Handle(), WM_APP + 2, 0, 0));
    C_Thread sender;
    ASSERT_EQ(1, sender.Start(
                     [](void* window, DWORD)
                     {
                         DWORD_PTR answer = 0;
                         Sleep(100);
                         return (DWORD)SendMessageTimeoutA((HWND)window, WM_APP + 1, 0, 0, SMTO_BLOCK, 2000,
                                                           &answer);
                     },
                     window.Handle(), 0));
    EXPECT_EQ(1, sender.Wait(5000, kPumpSentOnly));
    EXPECT_NE(0u, sender.Result()) << "answered";
    EXPECT_EQ(0, window.Count(WM_TIMER));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window.Handle(), WM_APP + 2, WM_APP + 2, PM_REMOVE)) << "still queued";
    KillTimer(window.Handle(), 1);
}
