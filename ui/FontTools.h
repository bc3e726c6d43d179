#pragma once

#include <windows.h>
// The method ChooseFont meets the ChooseFont macro of commdlg.h: include it here so that every user
// sees the same name.
#include <commdlg.h>

// Font helpers: the family check used by the template font fix-up and the link control, and the
// system font dialog used for the display font.
class C_FontTools
{
public:
    // 1 when at least one font family of that face exists in that character set.
    static int FontFamilyExists(const char* faceName, BYTE charSet);
    // 1 when the user confirmed the dialog; `font` is both the start and the choice.
    static int ChooseFont(LOGFONTA* font, HWND owner);
};
