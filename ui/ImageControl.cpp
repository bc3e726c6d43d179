#include "ui/ImageControl.h"

C_ImageControl::C_ImageControl()
    : m_subclass(C_SubClassing::kImageControl), m_module(NULL), m_state(0), m_callback(NULL),
      m_userData(NULL), m_cursorId(0), m_bitmap(NULL), m_scaleX(1.0f), m_scaleY(1.0f), m_window(NULL)
{
}

C_ImageControl::~C_ImageControl()
{
    Release();
}

void C_ImageControl::Setup(HWND window, HINSTANCE module, DWORD options, WORD bitmapId, WORD cursorId,
                           ImageEventCallback callback, void* userData, int referenceWidth,
                           int referenceHeight)
{
    Release();
    if (C_SubClassing::IsTakenOver(window, C_SubClassing::kImageControl))
    {
        m_window = NULL; // another image control has this window
        return;
    }
    m_module = module;
    m_state = options;
    m_callback = callback;
    m_userData = userData;
    m_cursorId = cursorId;
    m_window = window;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & WS_TABSTOP))
        m_state |= kNoFocusRect;
    // A dialog gives its first tab stop the focus before its controls are set up.
    if (GetFocus() == window)
        m_state |= kFocused;
    SetWindowLongA(window, GWL_STYLE, style | SS_NOTIFY);
    m_bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(bitmapId));
    m_subclass.Attach(window, MessageCallback, this);

    RECT units = {0, 0, 100, 100};
    MapDialogRect(GetParent(window), &units);
    // A reference size of 0 would divide by zero; such a picture is shown unscaled.
    m_scaleX = referenceWidth > 0 ? (float)units.right / (float)referenceWidth : 1.0f;
    m_scaleY = referenceHeight > 0 ? (float)units.bottom / (float)referenceHeight : 1.0f;
    ApplyState();
    InvalidateRect(window, NULL, FALSE);
}

void C_ImageControl::Release()
{
    m_subclass.Detach();
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_bitmap = NULL;
}

void C_ImageControl::ApplyState()
{
    BITMAP info;
    if (m_bitmap && GetObjectA(m_bitmap, sizeof(info), &info))
    {
        RECT size = {0, 0, (LONG)(info.bmWidth * m_scaleX), (LONG)(info.bmHeight * m_scaleY)};
        AdjustWindowRectEx(&size, GetWindowLongA(m_window, GWL_STYLE), FALSE,
                           GetWindowLongA(m_window, GWL_EXSTYLE));
        SetWindowPos(m_window, NULL, 0, 0, size.right - size.left, size.bottom - size.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    InvalidateRect(m_window, NULL, FALSE);
}

DWORD C_ImageControl::BitmapPoint(LPARAM position, float scaleX, float scaleY)
{
    DWORD x = (DWORD)(LOWORD(position) / scaleX);
    DWORD y = (DWORD)(HIWORD(position) / scaleY);
    return (y << 16) | (x & 0xFFFF);
}

void C_ImageControl::Notify(int event, DWORD value)
{
    if (m_callback)
        m_callback(event, value, m_userData);
}

void C_ImageControl::Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (!target)
        return;
    BITMAP info;
    HDC memory = m_bitmap && GetObjectA(m_bitmap, sizeof(info), &info) ? CreateCompatibleDC(target) : NULL;
    if (memory)
    {
        HGDIOBJ previous = SelectObject(memory, m_bitmap);
        // Only an unscaled picture is copied as it is: with one factor 1.0 the other axis still stretches.
        if (m_scaleX == 1.0f && m_scaleY == 1.0f)
            BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        else
        {
            if (SetStretchBltMode(target, HALFTONE))
                SetBrushOrgEx(target, 0, 0, NULL);
            else
                SetStretchBltMode(target, COLORONCOLOR);
            StretchBlt(target, 0, 0, (int)(info.bmWidth * m_scaleX), (int)(info.bmHeight * m_scaleY), memory,
                       0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        }
        if ((m_state & kFocused) && !(m_state & kNoFocusRect))
        {
            RECT client;
            GetClientRect(window, &client);
            DrawFocusRect(target, &client);
        }
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(window, &paint);
}

int C_ImageControl::MessageCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT*,
                                    void* control)
{
    C_ImageControl* self = static_cast<C_ImageControl*>(control);
    switch (message)
    {
    case WM_SETFOCUS:
        self->m_state |= kFocused;
        InvalidateRect(window, NULL, FALSE);
        return 1;
    case WM_KILLFOCUS:
        self->m_state &= ~(DWORD)kFocused;
        InvalidateRect(window, NULL, FALSE);
        return 1;
    case WM_CANCELMODE:
        InvalidateRect(window, NULL, FALSE);
        return 1;
    case WM_SETCURSOR:
    {
        if (!self->m_cursorId)
            return 0;
        // Ids from 0x7F00 on are the system's own cursors.
        HINSTANCE module = self->m_cursorId < 0x7F00
                               ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE))
                               : NULL;
        HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(self->m_cursorId));
        if (!cursor)
            return 0; // leave it to the static control rather than hide the cursor
        SetCursor(cursor);
        return 1;
    }
    case WM_KEYUP:
        if (wparam == VK_RETURN)
            self->Notify(kEnterUp, 0);
        else if (wparam == VK_SPACE)
            self->Notify(kSpaceUp, 0);
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        self->Notify(kLeftDown, BitmapPoint(lparam, self->m_scaleX, self->m_scaleY));
        // The owner may have closed the dialog in its callback.
        if (IsWindow(window))
            self->ApplyState();
        return 1;
    case WM_LBUTTONUP:
        return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        self->Notify(kRightDown, BitmapPoint(lparam, self->m_scaleX, self->m_scaleY));
        return 1;
    case WM_RBUTTONUP:
        self->Notify(kRightUp, BitmapPoint(lparam, self->m_scaleX, self->m_scaleY));
        return 1;
    case WM_PAINT:
        if (!(self->m_state & kPaintBitmap))
            return 0;
        self->Paint(window);
        return 1;
    default:
        return 0;
    }
}
