#include "ui/StringTable.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ui/FontTools.h"
#include "ui/Text.h"

const void* FindLocalizedResource(HMODULE module, LPCSTR type, LPCSTR name, WORD language, DWORD* size)
{
    const WORD chain[] = {language,
                          (WORD)((language & 0x3FF) | 0x400),
                          (WORD)(language & 0x3FF),
                          0,
                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK),
                          LANG_ENGLISH};
    HRSRC found = NULL;
    for (WORD id : chain)
        if ((found = FindResourceExA(module, type, name, id)) != NULL)
            break;
    if (!found)
        return NULL;
    HGLOBAL loaded = LoadResource(module, found);
    DWORD bytes = SizeofResource(module, found);
    if (!loaded || bytes == 0)
        return NULL;
    if (size)
        *size = bytes;
    return LockResource(loaded);
}

const char* C_StringTable::LoadLocalizedString(UINT id, char* buffer, WORD language, int size)
{
    if (!buffer)
    {
        buffer = m_buffer;
        size = kBufferSize;
    }
    if (size <= 0)
        return buffer;
    if (language == LANG_USER_DEFAULT)
        language = GetUserDefaultLangID();
    else if (language == LANG_SYSTEM_DEFAULT)
        language = GetSystemDefaultLangID();

    UINT block = id / 16 + 1, index = id % 16;
    DWORD bytes = 0;
    const WCHAR* entry = static_cast<const WCHAR*>(
        FindLocalizedResource(m_module, RT_STRING, MAKEINTRESOURCEA(block), language, &bytes));
    const WCHAR* end = entry ? entry + bytes / sizeof(WCHAR) : NULL;
    for (UINT position = 0; entry && position < 16 && entry < end; position++)
    {
        UINT count = *entry++;
        if (count > (UINT)(end - entry))
            break; // a block cut short: nothing trustworthy follows
        if (position == index && count != 0)
        {
            // A text longer than 600 bytes converts to nothing; a smaller buffer of the caller's
            // receives as much of the text as fits.
            char text[kBufferSize];
            int written = WideCharToMultiByte(CP_ACP, 0, entry, count, text, kTextLength, NULL, NULL);
            text[written] = 0;
            CopyWholeCharacters(buffer, size, text, CP_ACP);
            return buffer;
        }
        entry += count;
    }
    lstrcpynA(buffer, "?", size);
    return buffer;
}

const char* C_StringTable::LoadPlainString(UINT id, char* buffer, int size)
{
    if (!buffer)
    {
        buffer = m_buffer;
        size = kBufferSize;
    }
    if (size <= 0)
        return buffer;
    int room = size < kBufferSize ? size : kBufferSize;
    if (LoadStringA(m_module, id, buffer, room) == 0)
        lstrcpynA(buffer, "?", size);
    return buffer;
}

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

const char* FormatTitle(const char* name, HMODULE module, char* buffer)
{
    buffer[0] = 0;
    UINT major = 1, minor = 1;
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = 0;
    if (length)
        ReadFileVersion(path, &major, &minor);
    _snprintf(buffer, kTitleSize - 1, "%s [%u.%02u]", name, major, minor);
    buffer[kTitleSize - 1] = 0;
    return buffer;
}

int ReadFileVersion(const char* path, UINT* major, UINT* minor, char* text, int textSize)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return 0;
    void* block = LocalAlloc(LMEM_ZEROINIT, size);
    if (!block)
        return 0;
    char* version = NULL;
    UINT length = 0;
    int found =
        GetFileVersionInfoA(path, 0, size, block) &&
        (VerQueryValueA(block, "\\StringFileInfo\\040704B0\\FileVersion", (void**)&version, &length) ||
         VerQueryValueA(block, "\\StringFileInfo\\040904B0\\FileVersion", (void**)&version, &length));
    if (found && version)
    {
        // Each part keeps its value when it does not parse.
        UINT parts[2] = {*major, *minor};
        sscanf(version, "%u.%u", &parts[0], &parts[1]);
        *major = parts[0];
        *minor = parts[1];
        if (text && textSize > 0)
            lstrcpynA(text, version, textSize);
    }
    LocalFree(block);
    return found && version ? 1 : 0;
}

DLGTEMPLATE* LoadDialogTemplate(HMODULE module, WORD templateId, WORD language)
{
    DWORD size = 0;
    const void* data =
        FindLocalizedResource(module, RT_DIALOG, MAKEINTRESOURCEA(templateId), language, &size);
    if (!data)
        return NULL;
    return FixTemplateFont(data, size);
}
