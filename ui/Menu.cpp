#include "ui/Menu.h"

int C_Menu::Attach(HWND owner, int position, HINSTANCE module)
{
    m_owner = owner;
    m_module = module;
    m_menu = GetSubMenu(GetMenu(owner), position);
    return m_menu != NULL;
}

int C_Menu::CheckItem(UINT item, int byCommand, int checked)
{
    UINT flags = (byCommand == 1 ? MF_BYCOMMAND : MF_BYPOSITION) | (checked == 1 ? MF_CHECKED : MF_UNCHECKED);
    return CheckMenuItem(m_menu, item, flags) != (DWORD)-1;
}

int C_Menu::LoadMenuForLanguage(WORD menuId, WORD language)
{
    HRSRC found = FindResourceExA(m_module, RT_MENU, MAKEINTRESOURCEA(menuId), language);
    if (!found)
        return 0;
    HGLOBAL loaded = LoadResource(m_module, found);
    const void* data = loaded ? LockResource(loaded) : NULL;
    if (!data)
        return 0;
    m_menu = LoadMenuIndirectA(data);
    if (!m_menu)
        return 0;
    HMENU old = GetMenu(m_owner);
    if (!SetMenu(m_owner, m_menu))
        return 0;
    // The replaced bar belongs to the window no longer; the template's own one included.
    if (old && old != m_menu)
        DestroyMenu(old);
    return 1;
}
