#include "ui/Dialog.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <commctrl.h>

#include "ui/Resources.h"

C_Window::~C_Window()
{
    if (m_smallIcon)
        DestroyIcon(m_smallIcon);
}

void C_Window::SetIcons(WORD iconId)
{
    if (m_smallIcon)
    {
        DestroyIcon(m_smallIcon);
        m_smallIcon = NULL;
    }
    m_smallIcon =
        static_cast<HICON>(LoadImageA(m_instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    HICON big = LoadIconA(m_instance, MAKEINTRESOURCEA(iconId)); // shared: never destroyed
    SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

int CenteredOffset(int referenceSize, int ownSize)
{
    return (referenceSize - ownSize) / 2; // C++ division truncates toward zero
}

int C_Window::CenterWindow(HWND reference)
{
    RECT own, area;
    if (!GetWindowRect(m_window, &own))
        return 0;
    if (reference)
    {
        if (!GetWindowRect(reference, &area))
            return 0;
    }
    else
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    int x = CenteredOffset(area.right - area.left, own.right - own.left);
    int y = CenteredOffset(area.bottom - area.top, own.bottom - own.top);
    if (reference)
    {
        x += area.left;
        y += area.top;
    }
    return SetWindowPos(m_window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER) ? 1 : 0;
}

int C_Window::SetTopmost(int on, int noActivate)
{
    if (on == 0 && !(GetWindowLongA(m_window, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return 1;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | (noActivate == 1 ? SWP_NOACTIVATE : 0);
    return SetWindowPos(m_window, on == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags) ? 1 : 0;
}

namespace
{

// The object's address arrives with WM_INITDIALOG and lives in the window's user data from then on;
// messages before it reach no operation.
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
    {
        C_Dialog* self = reinterpret_cast<C_Dialog*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA, lparam);
        if (!self)
            return 0;
        self->Attach(window);
        int result = self->OnInitDialog();
        if (result == 0)
            self->Close(0);
        return result == 0 || result == 2 ? 0 : 1; // 2: the handler has set the focus itself
    }
    C_Dialog* self = reinterpret_cast<C_Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return 0;
    switch (message)
    {
    case WM_DESTROY:
        return self->OnDestroy();
    case WM_CLOSE:
        return self->OnClose();
    case WM_COMMAND:
        return self->OnCommand(LOWORD(wparam), wparam, lparam);
    default:
        return self->OnMessage(message, wparam, lparam);
    }
}

MessageBoxProc g_messageBox = MessageBoxA;

} // namespace

C_Dialog::~C_Dialog()
{
    Close(0);
}

INT_PTR C_Dialog::DoModal(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent)
{
    return Make(instance, templateId, flags & ~(DWORD)kModeless, parent);
}

HWND C_Dialog::Create(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent)
{
    return reinterpret_cast<HWND>(Make(instance, templateId, flags | kModeless, parent));
}

INT_PTR C_Dialog::Make(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent)
{
    m_flags = flags;
    m_instance = instance;

    {
        C_Library user32;
        typedef BOOL(WINAPI * SetAware)();
        if (user32.Load("user32.dll"))
            if (SetAware setAware = user32.Get<SetAware>("SetProcessDPIAware"))
                setAware();
    }

    typedef BOOL(WINAPI * InitControls)(const INITCOMMONCONTROLSEX*);
    m_commonControls.Load("comctl32.dll");
    m_initCommonControls = m_commonControls.GetProc("InitCommonControlsEx");
    INITCOMMONCONTROLSEX init = {8, 0x7FFF};
    InitControls initControls = reinterpret_cast<InitControls>(reinterpret_cast<void*>(m_initCommonControls));
    if (!initControls || !initControls(&init))
        InitCommonControls();

    DLGTEMPLATE* copy = LoadDialogTemplate(instance, templateId, 0);
    LPARAM self = reinterpret_cast<LPARAM>(this);
    INT_PTR result;
    if (copy)
    {
        if (flags & kModeless)
            result = reinterpret_cast<INT_PTR>(
                CreateDialogIndirectParamA(instance, copy, parent, DialogProcedure, self));
        else
            result = DialogBoxIndirectParamA(instance, copy, parent, DialogProcedure, self);
        free(copy);
    }
    else if (flags & kModeless)
        result = reinterpret_cast<INT_PTR>(
            CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProcedure, self));
    else
        result = DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProcedure, self);
    return result;
}

void C_Dialog::Close(INT_PTR result)
{
    if (!m_window)
        return;
    if (!OnClosing(result))
        return;
    if (m_flags & kModeless)
        DestroyWindow(m_window);
    else
        EndDialog(m_window, result);
    m_window = NULL;
}

int C_Dialog::OnCommand(WORD id, WPARAM, LPARAM)
{
    if (id == IDCANCEL || id == IDCLOSE)
    {
        Close(0);
        return 1;
    }
    return 0;
}

int C_Dialog::OnClose()
{
    Close(0);
    return 1;
}

INT_PTR C_Dialog::OnMessage(UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDCLOSE))
    {
        Close(0);
        return 1;
    }
    return 0;
}

int ShowMessageV(const C_Window* dialog, UINT type, const char* caption, const char* format, va_list args)
{
    char text[1024];
    int written = _vsnprintf(text, sizeof(text) - 1, format, args);
    text[written < 0 ? (int)sizeof(text) - 1 : written] = 0;
    HWND owner = dialog ? dialog->Handle() : NULL;
    return g_messageBox(owner, text, caption, type ? type : MB_ICONEXCLAMATION);
}

int ShowMessage(const C_Window* dialog, UINT type, const char* caption, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = ShowMessageV(dialog, type, caption, format, args);
    va_end(args);
    return result;
}

void InjectMessageBox(MessageBoxProc messageBox)
{
    g_messageBox = messageBox ? messageBox : MessageBoxA;
}
