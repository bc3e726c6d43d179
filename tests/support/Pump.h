#pragma once

#include <windows.h>

// Dispatches the calling thread's messages for about `milliseconds`, waking as soon as any arrive.
void PumpMessages(DWORD milliseconds);

// Milliseconds since `start` (a GetTickCount value).
inline DWORD ElapsedSince(DWORD start)
{
    return GetTickCount() - start;
}

// A plain top-level window of a private class that counts what it receives; for tests that need a
// window to post to or to own something.
class C_CountingWindow
{
public:
    C_CountingWindow();
    ~C_CountingWindow();
    HWND Handle() const { return m_window; }
    // How often `message` reached the window procedure.
    int Count(UINT message) const;
    // When set, every dispatched `message` posts itself again, keeping the queue busy.
    void RepostForever(UINT message) { m_repost = message; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    HWND m_window;
    UINT m_repost;
    int m_counts[0x10000];
};
