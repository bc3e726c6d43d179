#pragma once

#include <windows.h>

#include <vector>

// A window's client area as COLORREF pixels, copied after the window has painted what was pending.
struct C_Capture
{
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // rows from the top

    int Take(HWND window)
    {
        width = height = 0;
        RECT client;
        if (!UpdateWindow(window) || !GetClientRect(window, &client) || IsRectEmpty(&client))
            return 0;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(info.bmiHeader), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        pixels.resize((size_t)client.right * client.bottom);
        HDC source = GetDC(window), memory = CreateCompatibleDC(source);
        HBITMAP bitmap = CreateCompatibleBitmap(source, client.right, client.bottom);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        int ok = BitBlt(memory, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        SelectObject(memory, previous); // GetDIBits wants the bitmap free
        ok = ok && GetDIBits(memory, bitmap, 0, client.bottom, &pixels[0], &info, DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, source);
        for (COLORREF& pixel : pixels) // 0x00RRGGBB
            pixel = RGB(pixel >> 16, pixel >> 8, pixel);
        width = ok ? client.right : 0;
        height = ok ? client.bottom : 0;
        return ok;
    }
    COLORREF At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? CLR_INVALID : pixels[(size_t)y * width + x];
    }
    // Pixels of exactly `colour` inside `area` (the whole capture when null).
    int Count(COLORREF colour, const RECT* area = NULL) const
    {
        RECT all = {0, 0, width, height};
        const RECT& r = area ? *area : all;
        int count = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                count += At(x, y) == colour;
        return count;
    }
};
