#pragma once

#include <windows.h>

#include "support/Pump.h"
#include "ui/Dialog.h"

// A modeless dialog of the test program's own templates, shown in front and given the focus, so
// that real mouse and keyboard input reaches it. Destroyed with the object.
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
    HWND Item(int id) const { return GetDlgItem(m_window, id); }
};
