#pragma once

#include <windows.h>

#include "ui/Dialog.h"
#include "ui/ImageControl.h"

// The about box (template 104), also shown as the splash at start: picture, credits and address,
// black on white. A click, a key or Esc closes it; as the splash it also closes itself after 2 s.
class C_AboutBox : public C_Dialog
{
public:
    enum
    {
        kSplashMilliseconds = 2000
    };

    C_AboutBox() : m_white(NULL), m_splash(0) {}
    ~C_AboutBox() override { Close(0); }

    // 1: the next showing is the splash.
    void SetSplash(DWORD splash) { m_splash = splash; }

    int OnInitDialog() override;
    int OnClosing(INT_PTR result) override;
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    static void OnImageEvent(int event, DWORD value, void* self);

    C_ImageControl m_image;
    HBRUSH m_white;
    DWORD m_splash;
};
