#include "ui/TemplateFont.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "ui/FontTools.h"

namespace
{

// Where the parts of a template lie: the point-size word, the face name and the first item.
struct TemplateLayout
{
    DWORD pointSize;
    DWORD face;
    DWORD faceEnd; // just past the face's terminator
    DWORD items;   // first 4-byte boundary after the face
};

DWORD AlignUp4(DWORD offset)
{
    return (offset + 3) & ~3u;
}

WORD ReadWord(const BYTE* bytes, DWORD offset)
{
    return (WORD)(bytes[offset] | (bytes[offset + 1] << 8));
}

// Skips a zero-terminated UTF-16 string; 0 when it runs past the end.
DWORD SkipString(const BYTE* bytes, DWORD size, DWORD offset)
{
    for (;;)
    {
        if (offset + 2 > size)
            return 0;
        WORD unit = ReadWord(bytes, offset);
        offset += 2;
        if (unit == 0)
            return offset;
    }
}

// A menu or class field: 0xFFFF and an ordinal, or a string.
DWORD SkipField(const BYTE* bytes, DWORD size, DWORD offset)
{
    if (offset + 2 > size)
        return 0;
    if (ReadWord(bytes, offset) == 0xFFFF)
        return offset + 4 <= size ? offset + 4 : 0;
    return SkipString(bytes, size, offset);
}

// 0 when the template has no font or cannot be walked within its size.
int FindLayout(const void* source, DWORD size, TemplateLayout* layout)
{
    const BYTE* bytes = static_cast<const BYTE*>(source);
    if (!bytes || size < 18)
        return 0;
    int extended = ReadWord(bytes, 2) == 0xFFFF; // the style lies within 18 bytes in both layouts
    DWORD styleOffset = extended ? 12 : 0;
    DWORD style = ReadWord(bytes, styleOffset) | ((DWORD)ReadWord(bytes, styleOffset + 2) << 16);
    if (!(style & DS_SETFONT))
        return 0;
    DWORD offset = extended ? 26 : 18;
    offset = SkipField(bytes, size, offset); // menu
    if (offset)
        offset = SkipField(bytes, size, offset); // class
    if (offset)
        offset = SkipString(bytes, size, offset); // title
    if (!offset)
        return 0;
    layout->pointSize = offset;
    layout->face = offset + (extended ? 6 : 2); // point size, and weight, italic and character set
    layout->faceEnd = SkipString(bytes, size, layout->face);
    if (!layout->faceEnd)
        return 0;
    layout->items = AlignUp4(layout->faceEnd);
    return 1;
}

int IsOneOf(const wchar_t* face, const wchar_t* const* names, int count)
{
    for (int i = 0; i < count; i++)
        if (wcscmp(face, names[i]) == 0)
            return 1;
    return 0;
}

} // namespace

TemplateFontChoice ChooseTemplateFont(const wchar_t* templateFace, const LOGFONTA* messageFont, int dpiY,
                                      int messageFaceExists, int shellDlg2Exists)
{
    static const wchar_t* const kOldFaces[] = {L"MS Sans Serif", L"MS Shell Dlg", L"System"};
    static const char* const kMessageFaces[] = {"MS Sans Serif", "Tahoma", "Segoe UI"};
    TemplateFontChoice choice;
    memset(&choice, 0, sizeof(choice));
    if (!templateFace || !IsOneOf(templateFace, kOldFaces, 3))
        return choice;
    // Without the non-client metrics there is nothing to match: keep the stored template.
    if (!messageFont)
        return choice;
    if (messageFaceExists)
    {
        int known = 0;
        for (const char* face : kMessageFaces)
            known |= strcmp(messageFont->lfFaceName, face) == 0;
        // A positive height is a cell height, which gives no point size to copy.
        if (!known || messageFont->lfHeight >= 0 || dpiY <= 0)
            return choice;
        MultiByteToWideChar(CP_ACP, 0, messageFont->lfFaceName, -1, choice.face, 32);
        choice.face[31] = 0;
        choice.pointSize = (WORD)MulDiv(-messageFont->lfHeight, 72, dpiY);
        choice.change = 1;
        return choice;
    }
    wcscpy(choice.face, shellDlg2Exists ? L"MS Shell Dlg 2" : L"MS Shell Dlg");
    choice.pointSize = 8;
    choice.change = 1;
    return choice;
}

const wchar_t* TemplateFontFace(const void* source, DWORD size)
{
    TemplateLayout layout;
    if (!FindLayout(source, size, &layout))
        return NULL;
    return reinterpret_cast<const wchar_t*>(static_cast<const BYTE*>(source) + layout.face);
}

DLGTEMPLATE* RewriteTemplateFont(const void* source, DWORD size, const wchar_t* face, WORD pointSize)
{
    TemplateLayout layout;
    if (!face || !FindLayout(source, size, &layout))
        return NULL;
    const BYTE* bytes = static_cast<const BYTE*>(source);
    DWORD faceBytes = (DWORD)(wcslen(face) + 1) * 2;
    DWORD newItems = AlignUp4(layout.face + faceBytes);
    DWORD itemBytes = size > layout.items ? size - layout.items : 0;
    BYTE* copy = static_cast<BYTE*>(calloc(1, newItems + itemBytes));
    if (!copy)
        return NULL;
    memcpy(copy, bytes, layout.face);
    memcpy(copy + layout.face, face, faceBytes);
    memcpy(copy + newItems, bytes + layout.items, itemBytes);
    copy[layout.pointSize] = (BYTE)(pointSize & 0xFF);
    copy[layout.pointSize + 1] = (BYTE)(pointSize >> 8);
    return reinterpret_cast<DLGTEMPLATE*>(copy);
}

DLGTEMPLATE* FixTemplateFont(const void* source, DWORD size)
{
    const wchar_t* face = TemplateFontFace(source, size);
    if (!face)
        return NULL;
    NONCLIENTMETRICSA metrics;
    memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = 340; // the form without the padded border, which every system reads
    int haveMetrics = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0) != 0;
    int dpiY = 96;
    HDC screen = GetDC(NULL);
    if (screen)
    {
        dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(NULL, screen);
    }
    int messageFaceExists =
        haveMetrics && C_FontTools::FontFamilyExists(metrics.lfMessageFont.lfFaceName, DEFAULT_CHARSET);
    int shellDlg2Exists =
        !messageFaceExists && C_FontTools::FontFamilyExists("MS Shell Dlg 2", DEFAULT_CHARSET);
    TemplateFontChoice choice = ChooseTemplateFont(face, haveMetrics ? &metrics.lfMessageFont : NULL, dpiY,
                                                   messageFaceExists, shellDlg2Exists);
    if (!choice.change)
        return NULL;
    return RewriteTemplateFont(source, size, choice.face, choice.pointSize);
}
