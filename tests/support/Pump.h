#pragma once

#include <windows.h>

// Dispatches the calling thread's messages for about `milliseconds`, waking as soon as any arrive.
inline void PumpMessages(DWORD milliseconds)
{
    MSG msg;
    for (DWORD start = GetTickCount(), elapsed = 0;; elapsed = GetTickCount() - start)
    {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            TranslateMessage(&msg), DispatchMessageA(&msg);
        if (elapsed >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

// Milliseconds since `start` (a GetTickCount value).
inline DWORD ElapsedSince(DWORD start)
{
    return GetTickCount() - start;
}

// A plain top-level window that counts what it receives after its creation, to post to or to own things.
class C_CountingWindow
{
public:
    C_CountingWindow()
    {
        WNDCLASSA wc = {0,    Procedure, 0,    0,    GetModuleHandleA(NULL),
                        NULL, NULL,      NULL, NULL, "KarpolinCounting"};
        RegisterClassA(&wc); // fails harmlessly when a previous window registered it
        m_window = CreateWindowExA(0, wc.lpszClassName, "counting", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL,
                                   NULL, wc.hInstance, NULL);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~C_CountingWindow() { DestroyWindow(m_window); }
    HWND Handle() const { return m_window; }
    // How often `message` reached the window procedure.
    int Count(UINT message) const { return message < 0x10000 ? m_counts[message] : 0; }
    // When set, every dispatched `message` posts itself again, keeping the queue busy.
    void RepostForever(UINT message) { m_repost = message; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        C_CountingWindow* self =
            reinterpret_cast<C_CountingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message < 0x10000)
            self->m_counts[message]++;
        if (self && self->m_repost && message == self->m_repost)
            PostMessageA(window, message, wparam, lparam);
        return DefWindowProcA(window, message, wparam, lparam);
    }
    HWND m_window;
    UINT m_repost = 0;
    int m_counts[0x10000] = {};
};
