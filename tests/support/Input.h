#pragma once

#include <windows.h>

// Real input through the system's queue (SendInput), as a user would give it; each call pumps the
// calling thread's messages briefly afterwards so that the input has arrived.

// Moves the cursor to the point of `window`'s client area.
void MoveCursorToClient(HWND window, int x, int y);
void MoveCursorToScreen(int x, int y);
void LeftButton(int down);
void KeyDown(WORD key);
void KeyUp(WORD key);
void PressKey(WORD key);
