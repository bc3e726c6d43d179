#include "support/Capture.h"

int C_Capture::Take(HWND window)
{
    m_width = m_height = 0;
    m_pixels.clear();
    UpdateWindow(window);
    GdiFlush();
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return 0;
    HDC source = GetDC(window);
    if (!source)
        return 0;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC memory = CreateCompatibleDC(source);
    int ok = 0;
    if (dib && memory)
    {
        HGDIOBJ previous = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY) ? 1 : 0;
        GdiFlush();
        if (ok)
        {
            m_width = client.right;
            m_height = client.bottom;
            m_pixels.resize((size_t)m_width * m_height);
            const DWORD* row = static_cast<const DWORD*>(bits);
            for (size_t i = 0; i < m_pixels.size(); i++)
            {
                DWORD p = row[i]; // 0x00RRGGBB
                m_pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            }
        }
        SelectObject(memory, previous);
    }
    if (memory)
        DeleteDC(memory);
    if (dib)
        DeleteObject(dib);
    ReleaseDC(window, source);
    return ok;
}

COLORREF C_Capture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    return m_pixels[(size_t)y * m_width + x];
}

int C_Capture::Count(COLORREF colour, const RECT* area) const
{
    RECT all = {0, 0, m_width, m_height};
    if (!area)
        area = &all;
    int count = 0;
    for (int y = area->top; y < area->bottom; y++)
        for (int x = area->left; x < area->right; x++)
            if (At(x, y) == colour)
                count++;
    return count;
}

int C_Capture::CountInRow(COLORREF colour, int y) const
{
    RECT row = {0, y, m_width, y + 1};
    return Count(colour, &row);
}
