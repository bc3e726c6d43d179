#include <gtest/gtest.h>

#include "link/ProgressCloser.h"
#include "support/Pump.h"
#include "sys/Thread.h"

TEST(ProgressCloser, EachRequestClosesTheDialogOnceWhetherItsWindowExistsYetOrNot)
{
    // A plain window of this thread stands in for the dialog; the worker notes the closes it had seen
    // once its request returned.
    static C_ProgressCloser closer;
    static C_CountingWindow* window = NULL;
    static int closesSeen = -1;
    C_Thread thread;
    auto worker = [](void*, DWORD) -> DWORD
    {
        closer.RequestClose();
        closesSeen = window ? window->Count(WM_CLOSE) : -1;
        return 0;
    };
    // The worker finishes before the dialog has a window: the request waits for Attach.
    closer.Reset();
    ASSERT_EQ(1, thread.Start(worker, NULL, 0));
    ASSERT_EQ(1, thread.Wait(5000));
    C_CountingWindow early, dialog;
    EXPECT_EQ(1, closer.Attach(early.Handle()));
    PumpMessages(100);
    EXPECT_EQ(1, early.Count(WM_CLOSE));

    // The next download forgets it; its request is handled before its worker goes on, and only once.
    closer.Reset();
    EXPECT_EQ(0, closer.Attach(dialog.Handle()));
    window = &dialog;
    ASSERT_EQ(1, thread.Start(worker, NULL, 0));
    ASSERT_EQ(1, thread.Wait(5000)); // dispatches the sent WM_CLOSE
    EXPECT_EQ(1, closesSeen);
    closer.Detach();
    closer.RequestClose(); // detached: nothing reaches the old window
    PumpMessages(50);
    EXPECT_EQ(1, dialog.Count(WM_CLOSE));
}
