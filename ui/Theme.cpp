#include "ui/Theme.h"

#include <string.h>

namespace
{
// DLLVERSIONINFO, spelled out so that no shell header is needed.
struct DllVersionInfo
{
    DWORD size, major, minor, build, platform;
};
typedef HRESULT(CALLBACK* DllGetVersionProc)(DllVersionInfo*);

const char kThemeLibrary[] = "uxtheme.dll";
const char* g_themeLibrary = kThemeLibrary;
} // namespace

DWORD GetCommonControlsVersion(const char* library)
{
    C_Library commonControls;
    if (!commonControls.Load(library))
        return 0;
    DllGetVersionProc getVersion = commonControls.Get<DllGetVersionProc>("DllGetVersion");
    if (!getVersion)
        return 0;
    DllVersionInfo info;
    memset(&info, 0, sizeof(info));
    info.size = sizeof(info);
    if (getVersion(&info) < 0)
        return 0;
    return PackDllVersion(info.major, info.minor);
}

void C_Theme::InjectLibraryName(const char* library)
{
    g_themeLibrary = library ? library : kThemeLibrary;
}

int C_Theme::Open(HWND window, const wchar_t* classList)
{
    Close();
    if (!m_library.Load(g_themeLibrary))
        return 0;
    m_open = m_library.Get<OpenThemeDataProc>("OpenThemeData");
    m_close = m_library.Get<CloseThemeDataProc>("CloseThemeData");
    m_isActive = m_library.Get<IsThemeActiveProc>("IsThemeActive");
    if (!m_open || !m_close || !m_isActive)
        return 0;
    m_theme = NULL;
    if (!classList)
        return 1;
    m_theme = m_open(window, classList);
    return m_theme != NULL;
}

void C_Theme::Close()
{
    if (m_theme && m_close)
        m_close(m_theme);
    m_theme = NULL;
    m_open = NULL;
    m_close = NULL;
    m_isActive = NULL;
    m_setWindowTheme = NULL;
    m_library.Free();
}

int C_Theme::SetWindowTheme(HWND window, const wchar_t* subAppName, const wchar_t* subIdList)
{
    if (!m_setWindowTheme)
        m_setWindowTheme = m_library.Get<SetWindowThemeProc>("SetWindowTheme");
    if (!m_setWindowTheme)
        return 0;
    m_setWindowTheme(window, subAppName, subIdList);
    return 1;
}
