#include "ui/ImageList.h"

#include "sys/OsClass.h"

UINT ImageListColourFlags(int screenBits, DWORD commonControlsVersion, DWORD osClass)
{
    UINT colour;
    if (osClass & OS_9X)
        colour = ILC_COLOR8;
    else if (screenBits >= 24)
        colour = commonControlsVersion >= 0x60000 ? ILC_COLOR32 : ILC_COLOR16;
    else if (screenBits >= 16)
        colour = ILC_COLOR16;
    else if (screenBits >= 8)
        colour = ILC_COLOR8;
    else if (screenBits >= 4)
        colour = ILC_COLOR4;
    else
        colour = ILC_COLOR;
    return colour | ILC_MASK;
}

int C_ImageList::Create(DWORD options, int width, int height, int initial, int growth,
                        DWORD commonControlsVersion)
{
    Destroy();
    if (options & kSmallIcons)
    {
        width = GetSystemMetrics(SM_CXSMICON);
        height = GetSystemMetrics(SM_CYSMICON);
    }
    else if (options & kLargeIcons)
    {
        width = GetSystemMetrics(SM_CXICON);
        height = GetSystemMetrics(SM_CYICON);
    }
    m_width = width;
    m_height = height;
    int screenBits = 0;
    if (HDC screen = GetDC(NULL))
    {
        screenBits = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(NULL, screen);
    }
    m_list =
        ImageList_Create(width, height, ImageListColourFlags(screenBits, commonControlsVersion, GetOsClass()),
                         initial, growth);
    return m_list != NULL;
}

int C_ImageList::AddIcon(HINSTANCE module, WORD iconId)
{
    if (!m_list)
        return -1;
    HICON icon =
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON, m_width, m_height, 0));
    if (!icon)
        return -1;
    int index = ImageList_ReplaceIcon(m_list, -1, icon);
    DestroyIcon(icon); // the list keeps its own copy
    return index;
}

void C_ImageList::Destroy()
{
    if (m_list)
        ImageList_Destroy(m_list);
    m_list = NULL;
}
