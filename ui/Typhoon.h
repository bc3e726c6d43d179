#pragma once

#include <windows.h>

// The busy bar: a thin child window in which a bright cell runs from left to right, over and over,
// while something of unknown length goes on. Drawn from three 8 x 13 cells: dim, medium, bright.
class C_Typhoon
{
public:
    enum Flags
    {
        kDialogUnits = 1, // x, y and width are dialog units of the parent; the height stays in pixels
        kSegmented = 2    // the whole bar is a row of cells
    };
    enum
    {
        kHeight = 15,
        kCellWidth = 8,
        kCellHeight = 13,
        kTimerId = 1
    };

    C_Typhoon();
    // Destroys a window that is still alive (it would otherwise reach a dead object), deletes the
    // cells and gives the class name back.
    ~C_Typhoon();

    int Create(int x, int y, int width, DWORD flags, HINSTANCE module, HWND parent, WORD dimId, WORD mediumId,
               WORD brightId);
    // An interval starts the run, 0 stops it; nothing happens while there is no window.
    void Run(UINT interval);

    HWND Handle() const { return m_window; }
    // x of the bright cell; -1 while stopped.
    int Position() const { return m_position; }

    static const char kClassName[];

private:
    C_Typhoon(const C_Typhoon&) = delete;
    C_Typhoon& operator=(const C_Typhoon&) = delete;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Paint(HDC target);
    void DeleteCells();

    int m_classRegistered;
    HBITMAP m_dim;
    HBITMAP m_medium;
    HBITMAP m_bright;
    int m_position;
    int m_period;
    DWORD m_flags;
    int m_step;
    HWND m_window;
    HINSTANCE m_module;
};
