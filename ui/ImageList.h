#pragma once

#include <windows.h>

#include <commctrl.h>

// The colour flags of an image list for a screen of `screenBits` bits per pixel, the common
// controls' version (major in the high 16 bits) and the operating-system class: 32-bit colour needs
// the 6.0 controls, and the 9x family always gets 8-bit. Always with a mask.
UINT ImageListColourFlags(int screenBits, DWORD commonControlsVersion, DWORD osClass);

// Owns one image list; destroys it when destroyed or created anew.
class C_ImageList
{
public:
    enum Options
    {
        kSmallIcons = 0x4, // icon size from the small-icon metrics
        kLargeIcons = 0x8  // icon size from the large-icon metrics
    };

    C_ImageList() : m_width(0), m_height(0), m_list(NULL) {}
    ~C_ImageList() { Destroy(); }

    int Create(DWORD options, int width, int height, int initial, int growth, DWORD commonControlsVersion);
    // The new image's index, or -1.
    int AddIcon(HINSTANCE module, WORD iconId);
    void Destroy();
    HIMAGELIST Handle() const { return m_list; }

private:
    C_ImageList(const C_ImageList&) = delete;
    C_ImageList& operator=(const C_ImageList&) = delete;

    int m_width;
    int m_height;
    HIMAGELIST m_list;
};
