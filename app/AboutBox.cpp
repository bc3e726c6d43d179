#include "app/AboutBox.h"

#include "res/Resource.h"
#include "ui/Version.h"

namespace
{
// What 100 x 100 dialog units of the box measured on the screen the picture was drawn for.
const int kReferenceWidth = 150;
const int kReferenceHeight = 163;
const UINT_PTR kSplashTimer = 0;
const COLORREF kWhite = 0xFFFFFF;
} // namespace

int C_AboutBox::OnInitDialog()
{
    SetIcons(IDI_PROGRAM);
    char title[kTitleSize];
    SetTitle(FormatTitle(kProgramName, (HMODULE)NULL, title));
    m_image.Setup(GetItem(IDC_ABOUT_PICTURE), m_instance, C_ImageControl::kPaintBitmap, IDB_ABOUT, 0,
                  OnImageEvent, this, kReferenceWidth, kReferenceHeight);
    m_white = CreateSolidBrush(kWhite);
    // Without the timer the splash still goes at a click or a key.
    if (m_splash == 1)
        SetTimer(m_window, kSplashTimer, kSplashMilliseconds, NULL);
    CenterWindow(NULL);
    SetTopmost(1, 0);
    return 1;
}

int C_AboutBox::OnClosing(INT_PTR)
{
    if (m_white)
        DeleteObject(m_white);
    m_white = NULL;
    return 1;
}

void C_AboutBox::OnImageEvent(int event, DWORD, void* self)
{
    switch (event)
    {
    case C_ImageControl::kLeftDown:
    case C_ImageControl::kRightDown:
    case C_ImageControl::kSpaceUp:
    case C_ImageControl::kEnterUp:
        static_cast<C_AboutBox*>(self)->Close(0);
        break;
    default:
        break;
    }
}

INT_PTR C_AboutBox::OnMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN: // outside the picture: the texts and the white around them
        Close(1);
        return 1;
    case WM_TIMER:
        Close(0);
        return 1;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wparam), kWhite);
        return reinterpret_cast<INT_PTR>(m_white);
    default:
        return C_Dialog::OnMessage(message, wparam, lparam);
    }
}
