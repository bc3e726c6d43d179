#pragma once

#include <windows.h>

// Keeps a control's top-left corner and lets its width and height follow the parent's client area.
// Borrows both windows.
class C_Anchor
{
public:
    enum Flags
    {
        kGrowWidth = 4,
        kGrowHeight = 8
    };

    C_Anchor() : m_flags(0), m_control(), m_client(), m_window(NULL), m_parent(NULL) {}

    // Takes the control's rectangle in the parent's client coordinates and the parent's client
    // rectangle as they are now: later sizes are measured against these.
    int Attach(HWND control, DWORD flags);
    // `width` and `height`: the parent's new client size. Nothing happens before Attach.
    void OnSize(int width, int height);

private:
    C_Anchor(const C_Anchor&) = delete;
    C_Anchor& operator=(const C_Anchor&) = delete;

    DWORD m_flags;
    RECT m_control;
    RECT m_client;
    HWND m_window;
    HWND m_parent;
};
