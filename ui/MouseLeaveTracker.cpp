#include "ui/MouseLeaveTracker.h"

namespace
{
const char kUser32[] = "user32.dll";
const char* g_trackerLibrary = kUser32;
} // namespace

void C_MouseLeaveTracker::InjectLibraryName(const char* library)
{
    g_trackerLibrary = library ? library : kUser32;
}

C_MouseLeaveTracker::C_MouseLeaveTracker() : m_track(NULL), m_window(NULL)
{
    SetRectEmpty(&m_rect);
    if (m_user32.Load(g_trackerLibrary))
        m_track = m_user32.Get<TrackMouseEventProc>("TrackMouseEvent");
}

C_MouseLeaveTracker::~C_MouseLeaveTracker()
{
    StopPolling();
}

void C_MouseLeaveTracker::StopPolling()
{
    if (m_window)
        KillTimer(m_window, reinterpret_cast<UINT_PTR>(this));
    m_window = NULL;
}

int C_MouseLeaveTracker::StartTracking(HWND window)
{
    if (m_track)
    {
        TRACKMOUSEEVENT track;
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window;
        track.dwHoverTime = HOVER_DEFAULT;
        return m_track(&track) ? 1 : 0;
    }
    if (m_window != window)
        StopPolling();
    // The timer's identifier is the tracker itself, so that each tick finds it.
    if (!SetTimer(window, reinterpret_cast<UINT_PTR>(this), kPollInterval, Tick))
        return 0;
    m_window = window;
    GetWindowRect(window, &m_rect);
    return 1;
}

VOID CALLBACK C_MouseLeaveTracker::Tick(HWND window, UINT, UINT_PTR id, DWORD)
{
    C_MouseLeaveTracker* self = reinterpret_cast<C_MouseLeaveTracker*>(id);
    if (self->m_window != window)
        return;
    POINT cursor;
    if (GetCursorPos(&cursor) && PtInRect(&self->m_rect, cursor) && WindowFromPoint(cursor) == window)
        return;
    self->StopPolling();
    PostMessageA(window, WM_MOUSELEAVE, 0, 0);
}
