#include "ui/StringTable.h"

#include "ui/Resources.h"
#include "sys/Text.h"

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
