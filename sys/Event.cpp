#include "sys/Event.h"

// Every queue-status flag: keys, mouse, posted, timer, paint, sent, hot keys, all posted, raw input.
static const DWORD kWakeMask = 0x5FF;

int RemainingWaitTime(DWORD start, DWORD now, DWORD milliseconds, DWORD* remaining)
{
    DWORD elapsed = now - start;
    if (elapsed > milliseconds)
        return 0;
    *remaining = milliseconds - elapsed;
    return 1;
}

int C_Event::Create(BOOL manualReset, BOOL initialState)
{
    Close();
    m_owns = 1;
    m_handle = CreateEventA(NULL, manualReset, initialState, NULL);
    return m_handle != NULL;
}

void C_Event::Close()
{
    if (!m_handle)
        return;
    if (m_owns)
        CloseHandle(m_handle);
    m_handle = NULL;
}

int C_Event::Set()
{
    return SetEvent(m_handle) ? 1 : 0;
}

int C_Event::WaitPumping(DWORD milliseconds, PumpMode mode)
{
    const DWORD start = GetTickCount();
    // PeekMessage calls the window procedures of sent messages itself; PM_QS_SENDMESSAGE keeps it
    // from returning anything else.
    const UINT peek = mode == kPumpAll ? PM_REMOVE : PM_REMOVE | PM_QS_SENDMESSAGE;
    const DWORD wake = mode == kPumpAll ? kWakeMask : QS_SENDMESSAGE;
    for (;;)
    {
        DWORD remaining = INFINITE;
        // The clock is read before every drain, so a busy queue cannot stretch the wait.
        if (milliseconds != INFINITE && !RemainingWaitTime(start, GetTickCount(), milliseconds, &remaining))
            return 0;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, peek))
        {
            if (msg.message == WM_QUIT)
            {
                PostQuitMessage((int)msg.wParam);
                return 0;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            // A window that keeps posting to itself would hold the drain forever: the event and the
            // clock are looked at after every message.
            if (WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0)
                return 1;
            if (milliseconds != INFINITE &&
                !RemainingWaitTime(start, GetTickCount(), milliseconds, &remaining))
                return 0;
        }
        DWORD r = MsgWaitForMultipleObjects(1, &m_handle, FALSE, remaining, wake);
        if (r == WAIT_OBJECT_0)
            return 1;
        if (r != WAIT_OBJECT_0 + 1)
            return 0;
    }
}
