#include "ui/Typhoon.h"

const char C_Typhoon::kClassName[] = "_C_Typhoon";

C_Typhoon::C_Typhoon()
    : m_classRegistered(0), m_dim(NULL), m_medium(NULL), m_bright(NULL), m_position(-1), m_period(0),
      m_flags(0), m_step(kCellWidth), m_window(NULL), m_module(NULL)
{
}

C_Typhoon::~C_Typhoon()
{
    if (m_window && IsWindow(m_window) &&
        GetWindowLongPtrA(m_window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        DestroyWindow(m_window);
    m_window = NULL;
    if (m_classRegistered)
        UnregisterClassA(kClassName, m_module);
    DeleteCells();
}

void C_Typhoon::DeleteCells()
{
    HBITMAP* cells[] = {&m_dim, &m_medium, &m_bright};
    for (HBITMAP* cell : cells)
    {
        if (*cell)
            DeleteObject(*cell);
        *cell = NULL;
    }
}

int C_Typhoon::Create(int x, int y, int width, DWORD flags, HINSTANCE module, HWND parent, WORD dimId,
                      WORD mediumId, WORD brightId)
{
    m_flags = flags;
    m_step = kCellWidth;
    if (flags & kDialogUnits)
    {
        RECT units = {x, y, width, 0};
        MapDialogRect(parent, &units);
        x = units.left;
        y = units.top;
        width = units.right;
    }
    if (m_window && IsWindow(m_window))
        DestroyWindow(m_window); // one window per object: a second would move with the same position
    if (!m_classRegistered)
    {
        DeleteCells();
        m_dim = LoadBitmapA(module, MAKEINTRESOURCEA(dimId));
        m_medium = LoadBitmapA(module, MAKEINTRESOURCEA(mediumId));
        m_bright = LoadBitmapA(module, MAKEINTRESOURCEA(brightId));
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = module;
        windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        if (!RegisterClassA(&windowClass))
            return 0;
        m_classRegistered = 1;
        m_module = module;
    }
    m_position = -1;
    m_period = width + 4 * m_step;
    HWND window = CreateWindowExA(WS_EX_NOPARENTNOTIFY | WS_EX_STATICEDGE, kClassName, "Typhoon",
                                  WS_CHILD | WS_VISIBLE, x, y, width, kHeight, parent, NULL, m_module, this);
    return window != NULL;
}

void C_Typhoon::Run(UINT interval)
{
    if (!m_window || !IsWindow(m_window))
        return;
    if (interval)
    {
        m_position = 0;
        InvalidateRect(m_window, NULL, TRUE);
        SetTimer(m_window, kTimerId, interval, NULL);
    }
    else
    {
        KillTimer(m_window, kTimerId);
        m_position = -1;
        InvalidateRect(m_window, NULL, TRUE);
    }
}

void C_Typhoon::Paint(HDC target)
{
    if (m_position == -1)
        return;
    HDC memory = CreateCompatibleDC(target);
    if (!memory)
        return;
    HGDIOBJ original = NULL;
    for (int x = 0; x < m_period; x += m_step)
    {
        HBITMAP cell = m_dim;
        if (x == m_position)
            cell = m_bright;
        else if (x + m_step == m_position || x - m_step == m_position)
            cell = m_medium;
        if (!cell)
            continue; // a cell that could not be loaded leaves the background
        HGDIOBJ previous = SelectObject(memory, cell);
        if (!original)
            original = previous;
        BitBlt(target, x, 0, kCellWidth, kCellHeight, memory, 0, 0, SRCCOPY);
    }
    if (original)
        SelectObject(memory, original);
    DeleteDC(memory);
}

LRESULT CALLBACK C_Typhoon::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CREATE)
    {
        C_Typhoon* self = static_cast<C_Typhoon*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self)
            self->m_window = window;
        return 0;
    }
    C_Typhoon* self = reinterpret_cast<C_Typhoon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wparam, lparam);
    switch (message)
    {
    case WM_SIZE:
        self->m_period = LOWORD(lparam) + 4 * self->m_step;
        break;
    case WM_TIMER:
        if (wparam != kTimerId)
            break;
        self->m_position += self->m_step;
        if (self->m_position > self->m_period)
            self->m_position = 0;
        InvalidateRect(window, NULL, (self->m_flags & kSegmented) ? FALSE : TRUE);
        return 0;
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        HDC target = BeginPaint(window, &paint);
        if (target)
            self->Paint(target);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        if (self->m_window == window)
            self->m_window = NULL;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
