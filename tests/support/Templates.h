#pragma once

#include <windows.h>

#include <vector>

// A dialog template in memory without items: style, size in dialog units, a title and "MS Shell Dlg" 8.
std::vector<WORD> EmptyDialogTemplate(DWORD style, short width, short height, const wchar_t* title);

// A modeless dialog made from EmptyDialogTemplate with a procedure that handles nothing; the caller
// destroys it.
HWND CreateEmptyDialog(DWORD style, short width, short height);
