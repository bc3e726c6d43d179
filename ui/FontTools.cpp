#include "ui/FontTools.h"

#include <string.h>

#include "sys/Target.h"

namespace
{

int CALLBACK RecordFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<int*>(found) = 1;
    return 0; // the first family is enough
}

} // namespace

int C_FontTools::FontFamilyExists(const char* faceName, BYTE charSet)
{
    HDC screen = GetDC(NULL);
    if (!screen)
        return 0;
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfCharSet = charSet;
    lstrcpynA(font.lfFaceName, faceName ? faceName : "", sizeof(font.lfFaceName));
    int found = 0;
    EnumFontFamiliesExA(screen, &font, RecordFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(NULL, screen);
    return found;
}

int C_FontTools::ChooseFont(LOGFONTA* font, HWND owner)
{
    CHOOSEFONTA choose;
    memset(&choose, 0, sizeof(choose));
    choose.lStructSize = Target::kChooseFontSize;
    choose.hwndOwner = owner;
    choose.lpLogFont = font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    choose.nFontType = SCREEN_FONTTYPE;
    return ::ChooseFontA(&choose) ? 1 : 0;
}
