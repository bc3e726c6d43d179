// A stand-in for comctl32's version query and for uxtheme: fixed answers, and a record of the calls
// that the tests read back through the Fake... entry points.
#include <windows.h>

#include <string.h>

namespace
{
struct VersionInfo
{
    DWORD size, major, minor, build, platform;
};

const char* const kNames[] = {"DllGetVersion", "OpenThemeData", "CloseThemeData", "IsThemeActive",
                              "SetWindowTheme"};
LONG g_calls[5];
HWND g_themeWindow;
wchar_t g_subAppName[64];
const HANDLE kTheme = reinterpret_cast<HANDLE>(0x7E57);
} // namespace

extern "C"
{

    // Reports 5.82, the common controls of the last systems without visual styles.
    HRESULT WINAPI DllGetVersion(VersionInfo* info)
    {
        InterlockedIncrement(&g_calls[0]);
        if (!info || info->size < 20)
            return E_INVALIDARG;
        info->major = 5;
        info->minor = 82;
        info->build = 1;
        info->platform = 2;
        return S_OK;
    }

    // A handle for any class list but L"NoSuchClass".
    HANDLE WINAPI OpenThemeData(HWND, const wchar_t* classList)
    {
        InterlockedIncrement(&g_calls[1]);
        return classList && lstrcmpW(classList, L"NoSuchClass") != 0 ? kTheme : NULL;
    }

    HRESULT WINAPI CloseThemeData(HANDLE theme)
    {
        InterlockedIncrement(&g_calls[2]);
        return theme == kTheme ? S_OK : E_HANDLE;
    }

    BOOL WINAPI IsThemeActive()
    {
        InterlockedIncrement(&g_calls[3]);
        return TRUE;
    }

    HRESULT WINAPI SetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t*)
    {
        InterlockedIncrement(&g_calls[4]);
        g_themeWindow = window;
        lstrcpynW(g_subAppName, subAppName ? subAppName : L"", 64);
        return S_OK;
    }

    LONG WINAPI FakeCallCount(const char* name)
    {
        for (int i = 0; i < 5; i++)
            if (strcmp(name, kNames[i]) == 0)
                return g_calls[i];
        return -1;
    }

    HWND WINAPI FakeLastThemeWindow()
    {
        return g_themeWindow;
    }

    const wchar_t* WINAPI FakeLastSubAppName()
    {
        return g_subAppName;
    }

    void WINAPI FakeReset()
    {
        memset(g_calls, 0, sizeof(g_calls));
        g_themeWindow = NULL;
        g_subAppName[0] = 0;
    }
}
