#include "support/Templates.h"

#include <string.h>

C_TemplateBuilder::C_TemplateBuilder(bool extended, DWORD style, short width, short height)
    : m_extended(extended)
{
    if (extended)
        Word(1), Word(0xFFFF), Dword(0), Dword(0), Dword(style); // version, signature, help id, styles
    else
        Dword(style), Dword(0);
    m_countOffset = m_bytes.size();
    Word(0), Word(0), Word(0), Word((WORD)width), Word((WORD)height);
}

C_TemplateBuilder& C_TemplateBuilder::Ordinal(WORD value)
{
    Word(0xFFFF), Word(value);
    return *this;
}

C_TemplateBuilder& C_TemplateBuilder::String(const wchar_t* text)
{
    for (; *text; text++)
        Word(*text);
    Word(0);
    return *this;
}

C_TemplateBuilder& C_TemplateBuilder::Font(WORD points, const wchar_t* face)
{
    m_pointOffset = m_bytes.size();
    Word(points);
    if (m_extended)
        Word(700), Word(0xA101);
    return String(face);
}

C_TemplateBuilder& C_TemplateBuilder::Item(WORD id, const wchar_t* caption)
{
    while (m_bytes.size() % 4)
        m_bytes.push_back(0);
    if (!m_firstItem)
        m_firstItem = m_bytes.size();
    if (m_extended)
        Dword(0), Dword(0), Dword(WS_CHILD | WS_VISIBLE), Word(10), Word(10), Word(50), Word(14), Dword(id);
    else
        Dword(WS_CHILD | WS_VISIBLE), Dword(0), Word(10), Word(10), Word(50), Word(14), Word(id);
    Ordinal(0x0080).String(caption).Word(0); // a button, no creation data
    m_bytes[m_countOffset]++;
    return *this;
}

void C_TemplateBuilder::Word(WORD value)
{
    m_bytes.push_back((BYTE)value);
    m_bytes.push_back((BYTE)(value >> 8));
}

void C_TemplateBuilder::Dword(DWORD value)
{
    Word((WORD)value), Word((WORD)(value >> 16));
}

static INT_PTR CALLBACK HandleNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

HWND CreateEmptyDialog(DWORD style, short width, short height)
{
    C_TemplateBuilder dialog(false, style | DS_SETFONT, width, height);
    dialog.String(L"").String(L"").String(L"test").Font(8, L"MS Shell Dlg");
    return CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialog.Template(), NULL, HandleNothing, 0);
}
