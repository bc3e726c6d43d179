#include "support/Input.h"

#include "support/Pump.h"

static const DWORD kSettle = 60;

void MoveCursorToScreen(int x, int y)
{
    SetCursorPos(x, y);
    PumpMessages(kSettle);
}

void MoveCursorToClient(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    MoveCursorToScreen(point.x, point.y);
}

static void Send(INPUT& input)
{
    SendInput(1, &input, sizeof(input));
    PumpMessages(kSettle);
}

void LeftButton(int down)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(input);
}

static void Key(WORD key, DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = (WORD)MapVirtualKeyA(key, 0);
    input.ki.dwFlags = flags;
    Send(input);
}

void KeyDown(WORD key)
{
    Key(key, 0);
}

void KeyUp(WORD key)
{
    Key(key, KEYEVENTF_KEYUP);
}

void PressKey(WORD key)
{
    KeyDown(key);
    KeyUp(key);
}
