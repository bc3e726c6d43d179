// The yardstick of the program benchmark: the least a dialog program can be, one template and one
// message loop, built and started the same way as Karpolin.
#include <windows.h>

static INT_PTR CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL)
    {
        DestroyWindow(window);
        return 1;
    }
    if (message == WM_CLOSE)
    {
        DestroyWindow(window);
        return 1;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(1), NULL, MinimalProc, 0);
    if (!window)
        return -1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
    {
        if (!IsDialogMessageA(window, &message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
