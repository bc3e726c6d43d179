#pragma once

#include <windows.h>

#include "sys/Library.h"

// Borrows a window handle (a dialog's, or any other); owns the small icon that SetIcons loaded.
class C_Window
{
public:
    explicit C_Window(HWND window = NULL) : m_window(window), m_instance(NULL), m_smallIcon(NULL) {}
    virtual ~C_Window();

    HWND Handle() const { return m_window; }
    void Attach(HWND window) { m_window = window; }

    // Small icon at the system's small-icon size, big icon by LoadIcon; the old small icon is destroyed.
    void SetIcons(WORD iconId);
    int SetTitle(const char* text) { return SetWindowTextA(m_window, text) ? 1 : 0; }
    int SetItemText(int controlId, const char* text)
    {
        return SetDlgItemTextA(m_window, controlId, text) ? 1 : 0;
    }
    HWND GetItem(int controlId) const { return GetDlgItem(m_window, controlId); }
    // Centres over `reference`, or over the whole screen when it is null.
    int CenterWindow(HWND reference);
    int SetTopmost(int on, int noActivate);
    void SetWaitCursor(int on) { SetCursor(LoadCursorA(NULL, on == 1 ? IDC_WAIT : IDC_ARROW)); }

protected:
    HWND m_window;
    HINSTANCE m_instance;
    HICON m_smallIcon;

private:
    C_Window(const C_Window&) = delete;
    C_Window& operator=(const C_Window&) = delete;
};

// The offset of the window's centre: (reference size - own size) / 2, truncated toward zero.
int CenteredOffset(int referenceSize, int ownSize);

// A dialog made from a template resource and driven by an object of a derived class. One dialog
// procedure, private to Dialog.cpp, routes the messages to seven virtual operations; Close is the one
// way to end it.
// A derived class whose handlers use its own members calls Close(0) in its destructor, so that its
// own OnClosing still runs when the object dies with its window open.
class C_Dialog : public C_Window
{
public:
    enum
    {
        kModeless = 1
    };

    C_Dialog() : m_flags(0), m_initCommonControls(NULL) {}
    ~C_Dialog() override;

    // Returns the value given to EndDialog, or -1 when the dialog cannot be made.
    INT_PTR DoModal(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent = NULL);
    // Returns the window, or null.
    HWND Create(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent);
    void Close(INT_PTR result);

    // Handlers: 1 handled, 0 not; OnMessage may answer WM_CTLCOLOR... with a brush.
    // OnInitDialog: 0 closes the dialog before it is shown, 2 means the handler set the focus itself.
    virtual int OnInitDialog() { return 1; }
    // 0 keeps the dialog open.
    virtual int OnClosing(INT_PTR) { return 1; }
    virtual int OnCommand(WORD id, WPARAM wparam, LPARAM lparam);
    virtual int OnClose();
    virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    virtual int OnDestroy() { return (int)OnMessage(WM_DESTROY, 0, 0); }

private:
    INT_PTR Make(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent);

    DWORD m_flags;
    C_Library m_commonControls;
    FARPROC m_initCommonControls;
};

// A message box owned by the dialog's window (none when `dialog` or its window is null), text
// formatted like printf and cut at 1023 characters; type 0 means MB_ICONEXCLAMATION.
int ShowMessage(const C_Window* dialog, UINT type, const char* caption, const char* format, ...);
int ShowMessageV(const C_Window* dialog, UINT type, const char* caption, const char* format, va_list args);

typedef int(WINAPI* MessageBoxProc)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// Tests only: ShowMessage calls `messageBox` instead of MessageBoxA; null restores it.
void InjectMessageBox(MessageBoxProc messageBox);
