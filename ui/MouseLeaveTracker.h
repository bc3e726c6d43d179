#pragma once

#include <windows.h>

#include "sys/Library.h"

// Tells a window that the mouse has left it (WM_MOUSELEAVE): through TrackMouseEvent where the
// system has it, else by polling the cursor every 100 ms with a timer on that window.
class C_MouseLeaveTracker
{
public:
    enum
    {
        kPollInterval = 100
    };

    C_MouseLeaveTracker();
    // Kills a polling timer that still runs.
    virtual ~C_MouseLeaveTracker();

    int StartTracking(HWND window);
    int IsPolling() const { return m_window != NULL; }

    // Tests only: trackers constructed from now on look TrackMouseEvent up in `library` instead of
    // "user32.dll"; null restores it.
    static void InjectLibraryName(const char* library);

private:
    C_MouseLeaveTracker(const C_MouseLeaveTracker&) = delete;
    C_MouseLeaveTracker& operator=(const C_MouseLeaveTracker&) = delete;

    typedef BOOL(WINAPI* TrackMouseEventProc)(TRACKMOUSEEVENT*);
    static VOID CALLBACK Tick(HWND window, UINT message, UINT_PTR id, DWORD time);
    void StopPolling();

    C_Library m_user32;
    TrackMouseEventProc m_track;
    RECT m_rect;
    HWND m_window;
};
