// A stand-in for uxtheme: fixed answers, and the calls counted in FakeCalls, indexed as
// C_FakeSystemLibrary::Entry.
#include <windows.h>

extern "C"
{
    LONG FakeCalls[3];

    HANDLE WINAPI OpenThemeData(HWND, const wchar_t* classList)
    {
        FakeCalls[0]++;
        return classList && lstrcmpW(classList, L"NoSuchClass") ? reinterpret_cast<HANDLE>(0x7E57) : NULL;
    }

    HRESULT WINAPI CloseThemeData(HANDLE)
    {
        FakeCalls[1]++;
        return S_OK;
    }

    BOOL WINAPI IsThemeActive()
    {
        return TRUE;
    }

    HRESULT WINAPI SetWindowTheme(HWND, const wchar_t* subAppName, const wchar_t*)
    {
        FakeCalls[2] += subAppName && !lstrcmpW(subAppName, L"explorer");
        return S_OK;
    }
}
