#include <gtest/gtest.h>

#include "support/Pump.h"
#include "sys/Event.h"
#include "sys/Thread.h"

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

TEST(C_Event, WaitPumpingEndsOnTimeAtTheEventOrAtAQuitEvenWhenTheQueueNeverEmpties)
{
    const struct
    {
        const char* name;
        DWORD milliseconds;
        int create, setAtOnce;
        DWORD setAfter;
        int quit, result;
        DWORD least, most;
        int dispatched;
    } kRows[] = {{"set before: the queue goes first", 1000, 1, 1, 0, 0, 1, 0, 500, 1},
                 {"time limit", 300, 1, 0, 0, 0, 0, 290, 800, 10},
                 {"no time limit", INFINITE, 1, 0, 100, 0, 1, 90, 800, 10},
                 {"a quit ends it and is posted again", 3000, 1, 0, 0, 1, 0, 90, 2000, 10},
                 {"no event: fails at once", 2000, 0, 0, 0, 0, 0, 0, 1000, 1}};
    for (const auto& row : kRows)
    {
        C_CountingWindow window;
        if (row.create)
            window.RepostForever(WM_APP + 3);
        ASSERT_TRUE(PostMessageA(window.Handle(), WM_APP + 3, 0, 0));
        C_Event event;
        ASSERT_EQ(row.create, row.create && event.Create(TRUE, row.setAtOnce));
        C_Thread setter, quitter;
        if (row.setAfter)
            setter.Start([](void* event, DWORD delay) { return Sleep(delay), (DWORD)SetEvent(event); },
                         event.Handle(), row.setAfter);
        if (row.quit)
            quitter.Start([](void*, DWORD thread)
                          { return Sleep(100), (DWORD)PostThreadMessageA(thread, WM_QUIT, 42, 0); },
                          NULL, GetCurrentThreadId());
        DWORD start = GetTickCount();
        EXPECT_EQ(row.result, event.WaitPumping(row.milliseconds)) << row.name;
        DWORD elapsed = ElapsedSince(start);
        EXPECT_GE(elapsed, row.least) << row.name;
        EXPECT_LT(elapsed, row.most) << row.name;
        EXPECT_GE(window.Count(WM_APP + 3), row.dispatched) << row.name;
        MSG msg;
        EXPECT_EQ(row.quit, PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 42)
            << row.name;
        window.RepostForever(0);
        setter.Wait(0);
        quitter.Wait(0);
    }
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
