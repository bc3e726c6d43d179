#pragma once

#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "res/Resource.h"
#include "support/Registry.h"
#include "support/TestDialog.h"

// The main window run modally, as the program runs it, on a thread of its own with the settings in a
// scratch key; tests drive it as a user would. `fonts`: each WM_SETFONT to its controls once the
// set-up began, as "null" or "face height weight".
class C_MainWindowRig : public C_MainWindow
{
public:
    C_ScratchKey key{kSettingsKey};
    HWND window = NULL, splash = NULL;
    DWORD started = 0; // when the set-up began
    std::vector<std::string> fonts;

    ~C_MainWindowRig() override
    {
        if (Finish(0) == -2)
            PostMessageA(window, WM_COMMAND, IDM_EXIT, 0), Finish();
        CloseHandle(m_thread);
    }
    // The main window once shown: the modal loop shows it when its queue first runs empty.
    HWND Start()
    {
        s_rig = this;
        m_thread = CreateThread(NULL, 0, Run, this, 0, NULL);
        for (int i = 0; i < 500 && !(m_ready && IsWindowVisible(window)); i++)
            Sleep(10);
        return window;
    }
    // DoModal's result once the run has ended, -2 while it runs.
    INT_PTR Finish(DWORD milliseconds = 10000)
    {
        return WaitForSingleObject(m_thread, milliseconds) == WAIT_TIMEOUT ? -2 : m_result;
    }
    // The check marks of ports 1 to 8, standard font, cubic metre, 1200 baud, English and German.
    std::string Marks()
    {
        std::string marks;
        for (int item :
             {IDM_PORT1, IDM_PORT2, IDM_PORT3, IDM_PORT4, IDM_PORT5, IDM_PORT6, IDM_PORT7, IDM_PORT8, 0,
              IDM_STANDARD_FONT, IDM_SIMPLE_CUBIC_METER, IDM_BAUD_1200, 0, IDM_ENGLISH, IDM_GERMAN})
            marks += item ? "01"[(GetMenuState(GetMenu(window), item, MF_BYCOMMAND) & MF_CHECKED) != 0] : ' ';
        return marks;
    }
    // Each stored value and a blank; numbers as signed decimals.
    std::string Stored(std::initializer_list<const char*> names)
    {
        std::string all, data;
        DWORD type = 0;
        for (const char* name : names)
            all += !key.Get(name, &data, &type) ? "missing "
                   : type == REG_DWORD          ? std::to_string(*(const int*)data.data()) + " "
                                                : data.c_str() + std::string(" ");
        return all;
    }
    int OnInitDialog() override
    {
        started = GetTickCount(), window = m_window;
        return m_ready = C_MainWindow::OnInitDialog();
    }

private:
    static DWORD WINAPI Run(void*)
    {
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, Record, NULL, GetCurrentThreadId());
        s_rig->m_result = s_rig->DoModal(GetModuleHandleA(NULL), IDD_MAIN, 0);
        return UnhookWindowsHookEx(hook);
    }
    static LRESULT CALLBACK Record(int code, WPARAM wparam, LPARAM lparam)
    {
        const CWPSTRUCT& sent = *reinterpret_cast<CWPSTRUCT*>(lparam);
        LOGFONTA font;
        if (sent.message == WM_INITDIALOG && s_rig->window && sent.hwnd != s_rig->window)
            s_rig->splash = sent.hwnd;
        if (sent.message == WM_SETFONT && s_rig->window && GetAncestor(sent.hwnd, GA_PARENT) == s_rig->window)
            s_rig->fonts.push_back(!GetObjectA((HFONT)sent.wParam, sizeof(font), &font)
                                       ? "null"
                                       : font.lfFaceName + (" " + std::to_string(font.lfHeight)) + " " +
                                             std::to_string(font.lfWeight));
        return CallNextHookEx(NULL, code, wparam, lparam);
    }
    static inline C_MainWindowRig* s_rig = NULL;
    HANDLE m_thread = NULL;
    volatile int m_ready = 0;
    INT_PTR m_result = -3;
};
