#pragma once

#include <windows.h>

#include <shellapi.h>

#include "ui/MouseLeaveTracker.h"
#include "ui/SubClassing.h"
#include "sys/Text.h"

// "r,g,b" as the browser stores its link colours; 0 and `colour` unchanged unless all three are there.
int ParseBrowserColour(const char* text, COLORREF* colour);

// Turns a static control of a dialog into a web link in the browser's colours: underlined as the
// browser says, its own cursor and the hover colour while the mouse is over the text, and a click,
// Enter or the space bar opens the target through the shell. Borrows the window; owns the fonts.
class C_LinkControl
{
public:
    enum State
    {
        kUseHoverColour = 0x1,
        kHovering = 0x4,
        kDisabled = 0x8,
        kTransparent = 0x10,
        kFocused = 0x40,
        kNoFocusRect = 0x80
    };
    enum Underline
    {
        kUnderlineNever = 0,
        kUnderlineWhileHovering = 1,
        kUnderlineAlways = 2
    };
    enum Activation
    {
        kLeftDown = 1,
        kEnterUp = 2,
        kSpaceUp = 3,
        kLeftUp = 4
    };
    enum
    {
        kTargetSize = 260
    };

    C_LinkControl();
    ~C_LinkControl();

    // A target longer than 259 characters is refused: activation then does nothing, rather than open
    // a cut, wrong address.
    void Setup(HWND window, const char* text, const char* target, WORD cursorId);
    void Release();
    void SetText(const char* text);
    void MeasureText();
    int IsOverText();
    void Activate(int code);
    void Invalidate(int parent);

    DWORD State() const { return m_state; }
    SIZE TextSize() const { return m_textSize; }
    HFONT UnderlinedFont() const { return m_underlinedFont; }
    HFONT PlainFont() const { return m_plainFont; }
    const C_MouseLeaveTracker& Tracker() const { return m_tracker; }

    typedef BOOL(WINAPI* ShellExecuteProc)(SHELLEXECUTEINFOA*);
    // Tests only: activation calls `shellExecute` instead of ShellExecuteExA; null restores it.
    static void InjectShellExecute(ShellExecuteProc shellExecute);

private:
    C_LinkControl(const C_LinkControl&) = delete;
    C_LinkControl& operator=(const C_LinkControl&) = delete;

    static int MessageCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                               void* self);
    void ReadBrowserSettings();
    void CreateFonts();
    void DeleteFonts();
    void Paint(HWND window);
    void SetLinkCursor();

    C_SubClassing m_subclass;
    C_MouseLeaveTracker m_tracker;
    C_Text m_text;
    char m_target[kTargetSize];
    HFONT m_underlinedFont;
    HFONT m_plainFont;
    UINT m_format;
    DWORD m_state;
    COLORREF m_normalColour;
    COLORREF m_hoverColour;
    COLORREF m_disabledColour;
    WORD m_cursorId;
    SIZE m_textSize;
    int m_underline;
    HWND m_window;
};
