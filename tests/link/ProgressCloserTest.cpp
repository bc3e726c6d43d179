#include <gtest/gtest.h>

#include "link/ProgressCloser.h"
#include "support/Pump.h"
#include "sys/Thread.h"

TEST(ProgressCloser, EachRequestClosesTheDialogOnceWhetherItsWindowExistsYetOrNot)
{
    // A plain window of this thread stands in for the dialog; the worker notes the closes it had seen
    // once its request returned.
    struct Request
    {
        C_ProgressCloser closer;
        C_CountingWindow* window;
        int closesSeen;
    } request = {{}, NULL, -1};
    auto worker = [](void* data, DWORD) -> DWORD
    {
        Request* request = static_cast<Request*>(data);
        request->closer.RequestClose();
        request->closesSeen = request->window ? request->window->Count(WM_CLOSE) : -1;
        return 0;
    };
    C_Thread thread;
    // The worker finishes before the dialog has a window: the request waits for Attach.
    request.closer.Reset();
    ASSERT_EQ(1, thread.Start(worker, &request, 0));
    ASSERT_EQ(1, thread.Wait(5000));
    C_CountingWindow early;
    EXPECT_EQ(1, request.closer.Attach(early.Handle()));
    PumpMessages(100);
    EXPECT_EQ(1, early.Count(WM_CLOSE));
    request.closer.Detach();

    // The next download forgets it; its request is handled before its worker goes on, and only once.
    request.closer.Reset();
    EXPECT_EQ(0, request.closer.Finished());
    C_CountingWindow dialog;
    EXPECT_EQ(0, request.closer.Attach(dialog.Handle()));
    request.window = &dialog;
    ASSERT_EQ(1, thread.Start(worker, &request, 0));
    ASSERT_EQ(1, thread.Wait(5000)); // dispatches the sent WM_CLOSE
    EXPECT_EQ(1, request.closesSeen);
    PumpMessages(50);
    EXPECT_EQ(1, dialog.Count(WM_CLOSE));
    request.closer.Detach();
    request.closer.RequestClose(); // detached: nothing reaches the old window
    PumpMessages(50);
    EXPECT_EQ(1, dialog.Count(WM_CLOSE));
}
