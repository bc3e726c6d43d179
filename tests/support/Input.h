#pragma once

#include <windows.h>

#include "support/Pump.h"

// Real input through the system's queue, as a user gives it; each call then pumps the thread's
// messages briefly so that the input has arrived.
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
