#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sys/CriticalSection.h"
#include "sys/Thread.h"

// A message box as a user saw it: owner, caption, text, and its type rebuilt from what is on screen
// (the icon: MB_ICONEXCLAMATION, MB_ICONQUESTION, MB_ICONINFORMATION, MB_ICONHAND or 0; the buttons:
// MB_YESNO or MB_OK).
struct SeenMessageBox
{
    HWND owner;
    DWORD thread;
    std::string caption;
    std::string text;
    UINT type;
};

// Watches this process for message boxes with the given caption, from any thread, and answers each
// one by pressing `button` (IDOK, IDYES, IDNO ...). Stops watching when destroyed.
class C_MessageBoxAnswerer
{
public:
    C_MessageBoxAnswerer(const char* caption, int button);
    ~C_MessageBoxAnswerer();

    // Waits until at least `count` boxes were answered or `milliseconds` passed; returns how many were.
    int WaitFor(int count, DWORD milliseconds);
    std::vector<SeenMessageBox> Seen();
    // The button for the boxes still to come.
    void SetButton(int button);

private:
    static DWORD Watch(void* self, DWORD);
    static BOOL CALLBACK VisitWindow(HWND window, LPARAM self);
    void Answer(HWND box);

    std::string m_caption;
    volatile LONG m_button;
    volatile LONG m_stop;
    C_CriticalSection m_lock;
    std::vector<SeenMessageBox> m_seen;
    std::vector<HWND> m_answered;
    C_Thread m_watcher;
};

// Reads a message box the way the answerer does; for tests that find the box themselves.
SeenMessageBox ReadMessageBox(HWND box);
