#pragma once

#include <windows.h>

#include <vector>

// Builds dialog templates byte by byte, in either layout.
class C_TemplateBuilder
{
public:
    C_TemplateBuilder(bool extended, DWORD style, short width = 160, short height = 80);

    C_TemplateBuilder& Ordinal(WORD value);
    C_TemplateBuilder& String(const wchar_t* text);
    // Point size, then in the extended layout weight 700, italic and character set 0xA1, then the face.
    C_TemplateBuilder& Font(WORD points, const wchar_t* face);
    // A button; items begin on a 4-byte boundary.
    C_TemplateBuilder& Item(WORD id, const wchar_t* caption);

    const std::vector<BYTE>& Bytes() const { return m_bytes; }
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }
    size_t PointOffset() const { return m_pointOffset; }
    size_t FirstItem() const { return m_firstItem ? m_firstItem : m_bytes.size(); }

private:
    void Word(WORD value);
    void Dword(DWORD value);

    bool m_extended;
    size_t m_countOffset = 0, m_pointOffset = 0, m_firstItem = 0;
    std::vector<BYTE> m_bytes;
};

// A modeless dialog without items whose procedure handles nothing; the caller destroys it.
HWND CreateEmptyDialog(DWORD style, short width, short height);
