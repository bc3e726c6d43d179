#pragma once

#include <windows.h>

#include "ui/Library.h"

// Borrows the window handle of a dialog it drives; owns the small icon that SetIcons loaded.
class C_Window
{
public:
    C_Window() : m_window(NULL), m_instance(NULL), m_smallIcon(NULL) {}
    virtual ~C_Window();

    HWND Handle() const { return m_window; }
    HINSTANCE Instance() const { return m_instance; }

    // Small icon at the system's small-icon size, big icon by LoadIcon; the old small icon is destroyed.
    void SetIcons(WORD iconId);
    int SetTitle(const char* text);
    int SetItemText(int controlId, const char* text);
    HWND GetItem(int controlId) const;
    // Centres over `reference`, or over the whole screen when it is null.
    int CenterWindow(HWND reference);
    int SetTopmost(int on, int noActivate);
    void SetWaitCursor(int on);

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

// A dialog made from a template resource and driven by an object of a derived class. One shared
// dialog procedure routes the messages to seven virtual operations; Close is the one way to end it.
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
    DWORD Flags() const { return m_flags; }

    // Handlers: 1 handled, 0 not; OnMessage may answer WM_CTLCOLOR... with a brush.
    // OnInitDialog: 0 closes the dialog before it is shown, 2 means the handler set the focus itself.
    virtual int OnInitDialog() { return 1; }
    // 0 keeps the dialog open.
    virtual int OnClosing(INT_PTR result);
    virtual int OnCommand(WORD id, WPARAM wparam, LPARAM lparam);
    virtual int OnClose();
    virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    virtual int OnDestroy() { return (int)OnMessage(WM_DESTROY, 0, 0); }

    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    INT_PTR Make(HINSTANCE instance, WORD templateId, DWORD flags, HWND parent);
    static INT_PTR Initialize(HWND window, LPARAM lparam);

    DWORD m_flags;
    C_Library m_commonControls;
    FARPROC m_initCommonControls;
};

// A message box owned by the dialog's window (none when `dialog` or its window is null), text
// formatted like printf and cut at 1023 characters; type 0 means MB_ICONEXCLAMATION.
int ShowMessage(const C_Window* dialog, UINT type, const char* caption, const char* format, ...);
int ShowMessageV(const C_Window* dialog, UINT type, const char* caption, const char* format, va_list args);
