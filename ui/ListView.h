#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/ImageList.h"
#include "ui/SubClassing.h"
#include "ui/Theme.h"

// Wraps a report-style list view of a dialog: its two image lists, the "explorer" theme, nesting
// redraw suspension and Ctrl+A. Borrows the list window; owns the image lists, the theme holder
// and the subclass. Runs on the list's thread, or sends its messages there synchronously.
class C_ListView
{
public:
    enum SizeOption
    {
        kKeepWidth = 0,
        kAutoSizeUseHeader = 1,
        kAutoSize = 2
    };

    C_ListView();
    ~C_ListView();

    int Attach(HWND list, HINSTANCE module);
    void Release();

    // The new column's index, or -1.
    int InsertColumn(const char* text, int position, int width, int alignment, int sizeOption);
    void DeleteAllColumns();
    // The low 16 bits of `width` reach the control, so -1 and -2 are the two automatic widths.
    int SetColumnWidth(int column, int width);
    // A position at or beyond the row count appends; image -2 leaves the image out. The new row, or -1.
    int InsertItem(const char* text, int image, LPARAM data, int position);
    int SetCellText(const char* text, int column, int row);
    int DeleteAllItems(int keepSort);
    // Nests: only the first off and the matching last on reach the control.
    void SetRedraw(int on);
    int SelectItem(int row, int on);
    int SelectAll(int on);
    // The next selected row after `start` (-1 for the first) with whatever of its data and text is
    // asked for (`text` holds `textSize` bytes); 0 when no row follows.
    int GetSelectedRow(int start, int* row, LPARAM* data, char* text, int textSize);
    void ResetSortIndicator();

    C_ImageList& SmallImages() { return m_smallImages; }
    // The main window adds the row icon to both lists.
    C_ImageList& LargeImages() { return m_largeImages; }

private:
    C_ListView(const C_ListView&) = delete;
    C_ListView& operator=(const C_ListView&) = delete;

    static int ListCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                            void* self);

    HWND m_list;
    HINSTANCE m_module;
    C_ImageList m_smallImages;
    C_ImageList m_largeImages;
    int m_redrawSuspension;
    C_Theme m_theme;
    C_SubClassing m_subclass;
};
