#include <gtest/gtest.h>

#include "support/Pump.h"
#include "sys/Event.h"
#include "sys/Thread.h"

namespace
{

struct QuitPoster
{
    DWORD target;
    DWORD delay;
    int exitCode;
};

DWORD PostQuitLater(void* data, DWORD)
{
    QuitPoster* poster = static_cast<QuitPoster*>(data);
    Sleep(poster->delay);
    PostThreadMessageA(poster->target, WM_QUIT, poster->exitCode, 0);
    return 0;
}

struct ApcQueuer
{
    HANDLE target;
    DWORD delay;
};

volatile LONG g_apcRuns = 0;

void CALLBACK CountApc(ULONG_PTR)
{
    InterlockedIncrement(&g_apcRuns);
}

DWORD QueueApcLater(void* data, DWORD)
{
    ApcQueuer* queuer = static_cast<ApcQueuer*>(data);
    Sleep(queuer->delay);
    QueueUserAPC(CountApc, queuer->target, 0);
    return 0;
}

DWORD WaitForHandle(void* data, DWORD)
{
    WaitForSingleObject(static_cast<HANDLE>(data), INFINITE);
    return 0;
}

} // namespace

TEST(RemainingWaitTime, CountsDownAndSurvivesTheTickWrap)
{
    DWORD remaining = 0;
    EXPECT_EQ(1, RemainingWaitTime(1000, 1200, 500, &remaining));
    EXPECT_EQ(300u, remaining);
    EXPECT_EQ(1, RemainingWaitTime(1000, 1500, 500, &remaining));
    EXPECT_EQ(0u, remaining);
    EXPECT_EQ(0, RemainingWaitTime(1000, 1501, 500, &remaining));
    // Started just before the 32-bit tick count wraps: the wait is not over after 0x30 ms.
    EXPECT_EQ(1, RemainingWaitTime(0xFFFFFFF0u, 0x20u, 500, &remaining));
    EXPECT_EQ(500u - 0x30u, remaining);
    EXPECT_EQ(0, RemainingWaitTime(0xFFFFFFF0u, 0x200u, 500, &remaining));
}

TEST(C_Event, CreateSetWaitAndClose)
{
    C_Event event;
    EXPECT_EQ(NULL, event.Handle());
    event.Close(); // nothing held: nothing happens
    ASSERT_EQ(1, event.Create(FALSE, FALSE));
    int timedOut = -1;
    EXPECT_EQ(0, event.Wait(20, &timedOut));
    EXPECT_EQ(1, timedOut);
    ASSERT_EQ(1, event.Set());
    EXPECT_EQ(1, event.Wait(20, &timedOut));
    EXPECT_EQ(0, timedOut);
    // auto-reset: the wait consumed the signal
    EXPECT_EQ(0, event.Wait(0, &timedOut));

    ASSERT_EQ(1, event.Create(TRUE, TRUE)); // replaces the first event
    EXPECT_EQ(1, event.Wait(0));
    event.Close();
    EXPECT_EQ(NULL, event.Handle());
    EXPECT_EQ(0, event.Set());
}

TEST(C_Event, AnApcRestartsThePlainWaitWithTheWholeTimeout)
{
    C_Event event;
    ASSERT_EQ(1, event.Create(TRUE, FALSE));
    HANDLE self = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ApcQueuer queuer = {self, 250};
    C_Thread helper;
    g_apcRuns = 0;
    ASSERT_EQ(1, helper.Start(QueueApcLater, &queuer, 0));

    DWORD start = GetTickCount();
    int timedOut = 0;
    EXPECT_EQ(0, event.Wait(400, &timedOut));
    DWORD elapsed = ElapsedSince(start);
    EXPECT_EQ(1, timedOut);
    EXPECT_EQ(1, g_apcRuns);
    // 250 ms until the APC, then the whole 400 ms again
    EXPECT_GE(elapsed, 630u);
    EXPECT_LT(elapsed, 1500u);
    helper.Wait(0);
    CloseHandle(self);
}

TEST(C_Event, WaitPumpingDispatchesQueuedMessagesBeforeLookingAtTheEvent)
{
    C_CountingWindow window;
    ASSERT_TRUE(window.Handle() != NULL);
    ASSERT_TRUE(PostMessageA(window.Handle(), WM_APP + 7, 0, 0));
    C_Event event;
    ASSERT_EQ(1, event.Create(TRUE, TRUE)); // already signalled
    EXPECT_EQ(1, event.WaitPumping(1000));
    EXPECT_EQ(1, window.Count(WM_APP + 7));
}

TEST(C_Event, QuitDuringWaitPumpingIsPostedAgainAndTheThreadGoesOn)
{
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, NULL);
    C_Thread awaited;
    ASSERT_EQ(1, awaited.Start(WaitForHandle, gate, 0));
    QuitPoster poster = {GetCurrentThreadId(), 100, 42};
    C_Thread quitter;
    ASSERT_EQ(1, quitter.Start(PostQuitLater, &poster, 0));

    DWORD start = GetTickCount();
    EXPECT_EQ(0, awaited.Wait(0));
    EXPECT_LT(ElapsedSince(start), 3000u);
    EXPECT_EQ(1, awaited.IsRunning());

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(42u, msg.wParam);

    SetEvent(gate);
    awaited.Wait(5000);
    EXPECT_EQ(0, awaited.IsRunning());
    quitter.Wait(0);
    CloseHandle(gate);
}

TEST(C_Event, WaitPumpingEndsOnTimeOrAtTheEventEvenWhenTheQueueNeverEmpties)
{
    const struct
    {
        DWORD milliseconds, setAfter;
        int result;
        DWORD least, most;
    } kRows[] = {{300, 0, 0, 290, 800}, {INFINITE, 100, 1, 90, 800}};
    for (const auto& row : kRows)
    {
        C_CountingWindow window;
        window.RepostForever(WM_APP + 3);
        ASSERT_TRUE(PostMessageA(window.Handle(), WM_APP + 3, 0, 0));
        C_Event event;
        ASSERT_EQ(1, event.Create(TRUE, FALSE));
        C_Thread setter, stopper;
        if (row.setAfter)
            setter.Start([](void* event, DWORD delay) { return Sleep(delay), (DWORD)SetEvent(event); },
                         event.Handle(), row.setAfter);
        // Lets a wait that never looks at the event end after all; ended unfinished with the row.
        stopper.Start([](void* window, DWORD)
                      { return Sleep(3000), static_cast<C_CountingWindow*>(window)->RepostForever(0), 0ul; },
                      &window, 0);

        DWORD start = GetTickCount();
        EXPECT_EQ(row.result, event.WaitPumping(row.milliseconds));
        DWORD elapsed = ElapsedSince(start);
        EXPECT_GE(elapsed, row.least);
        EXPECT_LT(elapsed, row.most);
        EXPECT_GT(window.Count(WM_APP + 3), 10);
        window.RepostForever(0);
        setter.Wait(0);
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

TEST(C_Event, WaitPumpingWithoutAHandleFails)
{
    C_Event event;
    DWORD start = GetTickCount();
    EXPECT_EQ(0, event.WaitPumping(2000));
    EXPECT_LT(ElapsedSince(start), 1000u);
}
