#pragma once

#include <windows.h>

#include <vector>

// What a window shows in its client area, copied from its device context into a 32-bit DIB after the
// window has painted everything pending. Pixels are COLORREF values.
class C_Capture
{
public:
    C_Capture() : m_width(0), m_height(0) {}
    int Take(HWND window);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const;
    // Pixels of exactly `colour` inside `area` (the whole capture when null).
    int Count(COLORREF colour, const RECT* area = NULL) const;
    // Pixels of exactly `colour` in row `y`.
    int CountInRow(COLORREF colour, int y) const;

private:
    int m_width;
    int m_height;
    std::vector<COLORREF> m_pixels;
};
