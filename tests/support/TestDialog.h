#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/Pump.h"
#include "sys/CriticalSection.h"
#include "ui/Dialog.h"

// A modeless dialog, shown in front with the focus so that real input reaches it; closed with the object.
class C_TestDialog : public C_Dialog
{
public:
    ~C_TestDialog() override { Close(0); }

    HWND Open(WORD templateId)
    {
        HWND window = Create(GetModuleHandleA(NULL), templateId, 0, NULL);
        SetForegroundWindow(window);
        PumpMessages(50);
        return window;
    }
    HWND Item(int id) const { return GetItem(id); }
};

// Real input through the system's queue; each call then pumps briefly, so that the input has arrived.
inline void MoveCursorToClient(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    PumpMessages(60);
}

const WORD kLeftButton = 0; // for Key and PressKey

inline void Key(WORD key, bool down)
{
    INPUT input = {DWORD(key ? INPUT_KEYBOARD : INPUT_MOUSE), {}};
    if (key)
        input.ki = {key, (WORD)MapVirtualKeyA(key, 0), down ? 0u : (DWORD)KEYEVENTF_KEYUP, 0, 0};
    else
        input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
    PumpMessages(60);
}

inline void PressKey(WORD key) // and releases it
{
    Key(key, true);
    Key(key, false);
}

// A pixel of a window's client area, after the window has painted what was pending.
inline COLORREF ClientPixel(HWND window, int x, int y)
{
    HDC context = UpdateWindow(window) ? GetDC(window) : NULL;
    COLORREF pixel = context ? GetPixel(context, x, y) : CLR_INVALID;
    return ReleaseDC(window, context), pixel;
}

// Answers this thread's dialog boxes (message boxes, common dialogs) with `command` from a timer that the
// box's own modal loop runs; Seen() gives the last one's caption, text and buttons: "caption|text|yes no ok
// ".
class C_BoxAnswerer
{
public:
    explicit C_BoxAnswerer(int command) : m_timer(SetTimer(NULL, 0, 50, Answer)) { s_command = command; }
    ~C_BoxAnswerer() { KillTimer(NULL, m_timer); }
    const std::string& Seen() const { return s_seen; }

private:
    static VOID CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = FindWindowA("#32770", NULL);
        char caption[64] = "", text[64] = "";
        if (!box || GetWindowThreadProcessId(box, NULL) != GetCurrentThreadId())
            return;
        GetWindowTextA(box, caption, sizeof(caption));
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text)); // a message box's text, on Windows and Wine
        s_seen = std::string(caption) + "|" + text + "|" + (GetDlgItem(box, IDYES) ? "yes " : "") +
                 (GetDlgItem(box, IDNO) ? "no " : "") + (GetDlgItem(box, IDOK) ? "ok " : "");
        PostMessageA(box, WM_COMMAND, s_command, 0);
    }
    static inline int s_command = 0;
    static inline std::string s_seen;
    UINT_PTR m_timer;
};

// Takes the place of the message box while it lives: notes what ShowMessage would have shown, on
// any thread, and answers with `answer`.
class C_MessageRecorder
{
public:
    struct Shown
    {
        HWND owner;
        DWORD thread;
        std::string caption, text;
        UINT type;
        BOOL ownerEnabled; // as the box closes: not while a modal dialog of the owner's is up
        HCURSOR cursor;
    };
    // Each box is answered after `reading` ms.
    explicit C_MessageRecorder(int answer, DWORD reading = 0) : m_answer(answer), m_reading(reading)
    {
        s_current = this, InjectMessageBox(Record);
    }
    ~C_MessageRecorder() { InjectMessageBox(NULL), s_current = NULL; }
    std::vector<Shown> Seen()
    {
        C_Lock lock(m_lock);
        return m_seen;
    }

private:
    static inline C_MessageRecorder* s_current = NULL;
    static int WINAPI Record(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
    {
        C_Lock lock(s_current->m_lock);
        s_current->m_seen.push_back({owner, GetCurrentThreadId(), caption, text, type,
                                     (Sleep(s_current->m_reading), IsWindowEnabled(owner)), GetCursor()});
        return s_current->m_answer;
    }
    int m_answer;
    DWORD m_reading;
    C_CriticalSection m_lock;
    std::vector<Shown> m_seen;
};
