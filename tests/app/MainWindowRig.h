#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "res/Resource.h"
#include "support/Registry.h"
#include "support/TestDialog.h"

// The program's main window run as the program runs it, modally on a thread of its own, with the
// settings in a scratch key. The test drives it through its window as a user would, and sees each
// WM_SETFONT that its controls receive once the set-up has begun ("null", or "face height weight").
class C_MainWindowRig : public C_MainWindow
{
public:
    C_ScratchKey key{kSettingsKey};
    HWND window = NULL;
    DWORD started = 0; // when the set-up began
    std::vector<std::string> fonts;

    ~C_MainWindowRig() override
    {
        if (m_thread && WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT)
            PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        Finish();
    }
    HWND Start()
    {
        s_rig = this;
        m_thread = CreateThread(NULL, 0, Run, this, 0, NULL);
        while (!m_ready && WaitForSingleObject(m_thread, 10) == WAIT_TIMEOUT)
            ;
        // The modal loop shows the window once its queue first runs empty.
        for (DWORD start = GetTickCount(); window && !IsWindowVisible(window) && ElapsedSince(start) < 5000;)
            Sleep(10);
        return window;
    }
    // DoModal's result, or -2 when the window did not end within 10 s.
    INT_PTR Finish()
    {
        if (m_thread && WaitForSingleObject(m_thread, 10000) == WAIT_OBJECT_0)
            CloseHandle(m_thread), m_thread = NULL;
        return m_thread ? -2 : m_result;
    }
    void Command(WORD id) { SendMessageA(window, WM_COMMAND, id, 0); }
    int Checked(UINT item) { return (GetMenuState(GetMenu(window), item, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    std::string Text(int control)
    {
        char text[100] = "";
        GetDlgItemTextA(window, control, text, sizeof(text));
        return text;
    }
    RECT Rect(HWND of)
    {
        RECT r = {};
        GetWindowRect(of, &r);
        return r;
    }
    // The splash or about box: the window of this thread that shows the picture.
    HWND Splash()
    {
        HWND found = NULL;
        EnumThreadWindows(m_threadId, FindSplash, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    std::string Stored(const char* name)
    {
        std::string data;
        DWORD type = 0;
        return key.Get(name, &data, &type) ? data : "missing";
    }

    int OnInitDialog() override
    {
        started = GetTickCount();
        window = m_window;
        int result = C_MainWindow::OnInitDialog();
        m_ready = true;
        return result;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        C_MainWindowRig& rig = *static_cast<C_MainWindowRig*>(self);
        rig.m_threadId = GetCurrentThreadId();
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, Record, NULL, rig.m_threadId);
        rig.m_result = rig.DoModal(GetModuleHandleA(NULL), IDD_MAIN, 0);
        UnhookWindowsHookEx(hook);
        return 0;
    }
    static LRESULT CALLBACK Record(int code, WPARAM wparam, LPARAM lparam)
    {
        const CWPSTRUCT& sent = *reinterpret_cast<CWPSTRUCT*>(lparam);
        LOGFONTA font;
        if (code == HC_ACTION && sent.message == WM_SETFONT && s_rig->window &&
            GetAncestor(sent.hwnd, GA_PARENT) == s_rig->window)
            s_rig->fonts.push_back(!GetObjectA((HFONT)sent.wParam, sizeof(font), &font)
                                       ? "null"
                                       : std::string(font.lfFaceName) + " " + std::to_string(font.lfHeight) +
                                             " " + std::to_string(font.lfWeight));
        return CallNextHookEx(NULL, code, wparam, lparam);
    }
    static BOOL CALLBACK FindSplash(HWND window, LPARAM found)
    {
        if (GetDlgItem(window, IDC_ABOUT_PICTURE) && IsWindowVisible(window))
            *reinterpret_cast<HWND*>(found) = window;
        return TRUE;
    }
    static inline C_MainWindowRig* s_rig = NULL;
    HANDLE m_thread = NULL;
    DWORD m_threadId = 0;
    volatile bool m_ready = false;
    INT_PTR m_result = -3;
};
