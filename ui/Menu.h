#pragma once

#include <windows.h>

// The menu bar of a window, loadable in one exact language, and check marks on it.
class C_Menu
{
public:
    C_Menu() : m_owner(NULL), m_module(NULL), m_menu(NULL) {}

    // Takes the submenu at `position` of the owner's menu bar; 0 when there is none.
    int Attach(HWND owner, int position, HINSTANCE module);
    int CheckItem(UINT item, int byCommand, int checked);
    // Installs menu `menuId` in exactly `language` and destroys the bar it replaces; 0 leaves the
    // current menu bar in place.
    int LoadMenuForLanguage(WORD menuId, WORD language);

private:
    HWND m_owner;
    HINSTANCE m_module;
    HMENU m_menu;
};
