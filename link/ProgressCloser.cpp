#include "link/ProgressCloser.h"

void C_ProgressCloser::Reset()
{
    C_Lock lock(m_lock);
    m_window = NULL;
    m_finished = 0;
    m_cancel.Create(TRUE, FALSE);
}

int C_ProgressCloser::Attach(HWND dialog)
{
    int finished;
    {
        C_Lock lock(m_lock);
        m_window = dialog;
        finished = m_finished;
    }
    // The worker saw no window and sent nothing: the dialog closes itself.
    if (finished)
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    return finished;
}

void C_ProgressCloser::Detach()
{
    C_Lock lock(m_lock);
    m_window = NULL;
}

void C_ProgressCloser::RequestClose()
{
    HWND window;
    {
        C_Lock lock(m_lock);
        m_finished = 1;
        window = m_window;
    }
    // Sent, not posted, and outside the lock: the user-interface thread handles it in its modal
    // loop and may call Detach meanwhile.
    if (window)
        SendMessageA(window, WM_CLOSE, 0, 0);
}

int C_ProgressCloser::Finished()
{
    C_Lock lock(m_lock);
    return m_finished;
}
