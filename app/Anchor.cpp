#include "app/Anchor.h"

int C_Anchor::Attach(HWND control, DWORD flags)
{
    m_flags = flags;
    m_window = control;
    m_parent = GetParent(control);
    if (!GetWindowRect(control, &m_control) || !GetClientRect(m_parent, &m_client))
    {
        m_window = NULL;
        return 0;
    }
    MapWindowPoints(NULL, m_parent, reinterpret_cast<POINT*>(&m_control), 2);
    return 1;
}

void C_Anchor::OnSize(int width, int height)
{
    if (!m_window)
        return;
    int controlWidth = m_control.right - m_control.left;
    int controlHeight = m_control.bottom - m_control.top;
    if (m_flags & kGrowWidth)
        controlWidth += width - (m_client.right - m_client.left);
    if (m_flags & kGrowHeight)
        controlHeight += height - (m_client.bottom - m_client.top);
    MoveWindow(m_window, m_control.left, m_control.top, controlWidth, controlHeight, TRUE);
    InvalidateRect(m_window, NULL, TRUE);
}
