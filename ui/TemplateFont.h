#pragma once

#include <windows.h>

// What the template font fix-up decided: a face and point size, or no change at all.
struct TemplateFontChoice
{
    int change;
    wchar_t face[32];
    WORD pointSize;
};

// The decision of the fix-up, free of platform calls: given the template's face (UTF-16), the message
// font (null when the non-client metrics could not be read), the screen's dots per inch and which
// families exist.
TemplateFontChoice ChooseTemplateFont(const wchar_t* templateFace, const LOGFONTA* messageFont, int dpiY,
                                      int messageFaceExists, int shellDlg2Exists);

// The byte work: a copy of the template (either layout) with the face and point size replaced and the
// items moved to the next 4-byte boundary; null when the template has no font or cannot be walked.
// The caller frees the copy with free().
DLGTEMPLATE* RewriteTemplateFont(const void* source, DWORD size, const wchar_t* face, WORD pointSize);

// The face name of a template's font, or null when the template has none (no DS_SETFONT) or is
// malformed. Points into the template.
const wchar_t* TemplateFontFace(const void* source, DWORD size);

// Replaces an old-style template font by the system's message font; null when nothing is to change.
DLGTEMPLATE* FixTemplateFont(const void* source, DWORD size);
