#include <gtest/gtest.h>

#include "link/ProgressCloser.h"
#include "support/Pump.h"
#include "sys/Thread.h"

// The worker's close request reaches the progress dialog whether the dialog's window exists yet or
// not. A plain window of this thread stands in for the dialog.

namespace
{

struct Request
{
    C_ProgressCloser* closer;
    C_CountingWindow* window;
    int closesSeenOnReturn;
};

DWORD RequestClose(void* data, DWORD)
{
    Request* request = static_cast<Request*>(data);
    request->closer->RequestClose();
    // Read right after the sent message returned: it must already have been handled.
    request->closesSeenOnReturn = request->window ? request->window->Count(WM_CLOSE) : -1;
    return 0;
}

} // namespace

TEST(ProgressCloser, RequestBeforeTheWindowExistsIsKeptAndClosesItOnAttach)
{
    C_ProgressCloser closer;
    closer.Reset();
    C_Thread worker;
    Request request = {&closer, NULL, 0};
    ASSERT_EQ(1, worker.Start(RequestClose, &request, 0));
    worker.Wait(5000);
    ASSERT_FALSE(worker.IsRunning());
    EXPECT_EQ(1, closer.Finished());

    C_CountingWindow dialog; // the window comes only now
    EXPECT_EQ(1, closer.Attach(dialog.Handle()));
    PumpMessages(100);
    EXPECT_EQ(1, dialog.Count(WM_CLOSE));
    closer.Detach();
}

TEST(ProgressCloser, RequestToAnAttachedWindowIsHandledBeforeTheWorkerGoesOn)
{
    C_ProgressCloser closer;
    closer.Reset();
    C_CountingWindow dialog;
    EXPECT_EQ(0, closer.Attach(dialog.Handle()));
    EXPECT_EQ(0, closer.Finished());
    C_Thread worker;
    Request request = {&closer, &dialog, 0};
    ASSERT_EQ(1, worker.Start(RequestClose, &request, 0));
    worker.Wait(5000); // pumps: the sent WM_CLOSE is handled here
    ASSERT_FALSE(worker.IsRunning());
    EXPECT_EQ(1, request.closesSeenOnReturn);
    PumpMessages(50);
    EXPECT_EQ(1, dialog.Count(WM_CLOSE)); // exactly once: no second, posted close
    closer.Detach();
}

TEST(ProgressCloser, ResetForgetsTheLastDownloadsRequest)
{
    C_ProgressCloser closer;
    closer.RequestClose();
    closer.Reset();
    EXPECT_EQ(0, closer.Finished());
    C_CountingWindow dialog;
    EXPECT_EQ(0, closer.Attach(dialog.Handle()));
    PumpMessages(50);
    EXPECT_EQ(0, dialog.Count(WM_CLOSE));
    closer.Detach();
    closer.RequestClose(); // detached: nothing is sent to the old window
    PumpMessages(50);
    EXPECT_EQ(0, dialog.Count(WM_CLOSE));
}
