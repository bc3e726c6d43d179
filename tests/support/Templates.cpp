#include "support/Templates.h"

namespace
{

INT_PTR CALLBACK HandleNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void PushString(std::vector<WORD>* words, const wchar_t* text)
{
    for (; *text; text++)
        words->push_back((WORD)*text);
    words->push_back(0);
}

} // namespace

std::vector<WORD> EmptyDialogTemplate(DWORD style, short width, short height, const wchar_t* title)
{
    std::vector<WORD> words;
    style |= DS_SETFONT;
    words.push_back(LOWORD(style));
    words.push_back(HIWORD(style));
    words.push_back(0); // extended style
    words.push_back(0);
    words.push_back(0); // no items
    words.push_back(0); // x, y
    words.push_back(0);
    words.push_back((WORD)width);
    words.push_back((WORD)height);
    words.push_back(0); // no menu
    words.push_back(0); // standard class
    PushString(&words, title);
    words.push_back(8);
    PushString(&words, L"MS Shell Dlg");
    return words;
}

HWND CreateEmptyDialog(DWORD style, short width, short height)
{
    std::vector<WORD> words = EmptyDialogTemplate(style, width, height, L"test");
    return CreateDialogIndirectParamA(GetModuleHandleA(NULL), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                      NULL, HandleNothing, 0);
}
