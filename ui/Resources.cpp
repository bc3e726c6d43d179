#include "ui/Resources.h"

#include "ui/TemplateFont.h"

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

DLGTEMPLATE* LoadDialogTemplate(HMODULE module, WORD templateId, WORD language)
{
    DWORD size = 0;
    const void* data =
        FindLocalizedResource(module, RT_DIALOG, MAKEINTRESOURCEA(templateId), language, &size);
    if (!data)
        return NULL;
    return FixTemplateFont(data, size);
}
