#pragma once

#include <windows.h>

#include "sys/Library.h"

// The common controls' version, major in the high 16 bits and minor in the low (6.0 is 0x60000);
// 0 when the library or its DllGetVersion is missing or the query fails. `library` exists for tests
// that put another library in the common controls' place.
DWORD GetCommonControlsVersion(const char* library = "comctl32.dll");

// Packs a DllGetVersion answer the way GetCommonControlsVersion reports it.
inline DWORD PackDllVersion(DWORD major, DWORD minor)
{
    return major * 65536 + (minor & 0xFFFF);
}

// The visual-styles library, bound at run time: systems before visual styles have no "uxtheme.dll",
// and then everything here does nothing and the controls draw the classic way.
class C_Theme
{
public:
    typedef void* ThemeHandle;

    C_Theme() : m_theme(NULL), m_open(NULL), m_close(NULL), m_isActive(NULL), m_setWindowTheme(NULL) {}
    ~C_Theme() { Close(); }

    // 1 when the library and its three required entry points are there and, when a class list is
    // given, a theme handle was obtained. Without a class list the holder is only made ready for
    // SetWindowTheme.
    int Open(HWND window, const wchar_t* classList);
    void Close();
    // 1 when the call was made, 0 when the entry point is missing.
    int SetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList);

    // Tests only: loads `library` instead of "uxtheme.dll" from the next Open on; null restores it.
    static void InjectLibraryName(const char* library);

private:
    C_Theme(const C_Theme&) = delete;
    C_Theme& operator=(const C_Theme&) = delete;

    typedef ThemeHandle(WINAPI* OpenThemeDataProc)(HWND, const wchar_t*);
    typedef HRESULT(WINAPI* CloseThemeDataProc)(ThemeHandle);
    typedef BOOL(WINAPI* IsThemeActiveProc)();
    typedef HRESULT(WINAPI* SetWindowThemeProc)(HWND, const wchar_t*, const wchar_t*);

    C_Library m_library;
    ThemeHandle m_theme;
    OpenThemeDataProc m_open;
    CloseThemeDataProc m_close;
    IsThemeActiveProc m_isActive;
    SetWindowThemeProc m_setWindowTheme;
};
