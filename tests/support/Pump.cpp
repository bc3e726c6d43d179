#include "support/Pump.h"

#include <string.h>

void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD elapsed = ElapsedSince(start);
        if (elapsed >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

static const char kClassName[] = "KarpolinTestCountingWindow";

C_CountingWindow::C_CountingWindow() : m_window(NULL), m_repost(0)
{
    memset(m_counts, 0, sizeof(m_counts));
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc); // fails harmlessly when a previous window registered it
    m_window = CreateWindowExA(0, kClassName, "counting", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                               wc.hInstance, this);
}

C_CountingWindow::~C_CountingWindow()
{
    if (m_window)
        DestroyWindow(m_window);
}

int C_CountingWindow::Count(UINT message) const
{
    return message < 0x10000 ? m_counts[message] : 0;
}

LRESULT CALLBACK C_CountingWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
    {
        CREATESTRUCTA* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    C_CountingWindow* self = reinterpret_cast<C_CountingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self)
    {
        if (message < 0x10000)
            self->m_counts[message]++;
        if (self->m_repost && message == self->m_repost)
            PostMessageA(window, message, wparam, lparam);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
