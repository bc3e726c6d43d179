#pragma once

#include <windows.h>

#include "ui/SubClassing.h"

// Tells the owner of an image control of a click or key: the event code, the point in bitmap
// coordinates (y in the high 16 bits, x in the low) or 0, and the owner's user data.
typedef void (*ImageEventCallback)(int event, DWORD value, void* userData);

// Turns a static control of a dialog into a bitmap display that paints its bitmap itself, scaled with
// the dialog's font, and reports clicks and keys. Borrows the window; owns the bitmap.
class C_ImageControl
{
public:
    enum Bits
    {
        kPaintBitmap = 0x80,   // option: the control paints its bitmap itself, scaled
        kFocused = 0x40000,    // state
        kNoFocusRect = 0x80000 // state: the window has no WS_TABSTOP
    };
    enum Event
    {
        kLeftDown = 1,
        kRightDown = 5,
        kRightUp = 6,
        kSpaceUp = 7,
        kEnterUp = 8
    };

    C_ImageControl();
    ~C_ImageControl();

    // The reference size is what 100 x 100 dialog units of the parent measured in pixels on the system
    // the bitmap was drawn for. A missing bitmap leaves the control empty and its size unchanged.
    void Setup(HWND window, HINSTANCE module, DWORD options, WORD bitmapId, WORD cursorId,
               ImageEventCallback callback, void* userData, int referenceWidth, int referenceHeight);
    void Release();
    // Sizes the window to the scaled bitmap plus its frame.
    void ApplyState();

    // A mouse position (LPARAM) in bitmap coordinates: each half unsigned, divided by its factor and
    // truncated.
    static DWORD BitmapPoint(LPARAM position, float scaleX, float scaleY);

private:
    C_ImageControl(const C_ImageControl&) = delete;
    C_ImageControl& operator=(const C_ImageControl&) = delete;

    static int MessageCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                               void* self);
    void Notify(int event, DWORD value);
    void Paint(HWND window);

    C_SubClassing m_subclass;
    HINSTANCE m_module;
    DWORD m_state;
    ImageEventCallback m_callback;
    void* m_userData;
    WORD m_cursorId;
    HBITMAP m_bitmap;
    float m_scaleX;
    float m_scaleY;
    HWND m_window;
};
