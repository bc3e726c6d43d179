#pragma once

#include <windows.h>

#include "sys/CriticalSection.h"
#include "sys/Event.h"

// The download worker's request to close the progress dialog, kept until the dialog can act on it.
// The worker starts before the dialog's window exists and may finish before it does; a close sent
// to no window would be lost and leave the dialog up for good. So the request is remembered, and
// the dialog, once it has a window, asks for it. The other way, the user's Cancel wakes the worker
// from the read it waits in, which may last 24 minutes for a silent card.
class C_ProgressCloser
{
public:
    C_ProgressCloser() : m_window(NULL), m_finished(0) {}

    // Before a worker starts: no request yet, no window, a fresh Cancel event.
    void Reset();
    // The dialog, after it has set CancelRequested: ends the worker's read in progress.
    void Cancel() { m_cancel.Set(); }
    // Manual-reset, for the serial port to wait on; null when it could not be made (Cancel then
    // waits for the read to end by itself).
    HANDLE CancelEvent() const { return m_cancel.Handle(); }
    // The dialog, when its window exists (its set-up). 1 when the worker has already finished: a
    // WM_CLOSE has then been posted to `dialog`, so the modal loop ends the dialog at once.
    int Attach(HWND dialog);
    // The dialog, when its window goes.
    void Detach();
    // The worker's last act: sends WM_CLOSE to an attached window and returns once it has been
    // handled; without a window the request waits for Attach.
    void RequestClose();
    // 1 once the worker has asked; the dialog may refuse to end before that.
    int Finished();

private:
    C_ProgressCloser(const C_ProgressCloser&) = delete;
    C_ProgressCloser& operator=(const C_ProgressCloser&) = delete;

    C_CriticalSection m_lock;
    HWND m_window;
    int m_finished;
    C_Event m_cancel;
};
