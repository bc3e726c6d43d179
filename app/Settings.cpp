#include "app/Settings.h"

#include <stdio.h>
#include <string.h>

#include "sys/Library.h"
#include "sys/RegKey.h"

const char kSettingsKey[] = "Software\\Tarnwick\\Karpolin";
const char kPlacementValue[] = "Main";

void SetDefaultSettings(Settings* settings, WORD language)
{
    memset(settings, 0, sizeof(*settings));
    strcpy(settings->port, "com2");
    strcpy(settings->fontName, "Tahoma");
    settings->fontSize = -11;
    settings->language = language;
}

void LoadSettings(Settings* settings)
{
    C_RegKey key;
    if (!key.OpenRead(HKEY_CURRENT_USER, kSettingsKey))
        return;
    key.ReadString("Port", settings->port, sizeof(settings->port));
    key.ReadString("FontName", settings->fontName, sizeof(settings->fontName));
    key.ReadDword("FontSize", reinterpret_cast<DWORD*>(&settings->fontSize));
    key.ReadDword("UseFont", &settings->useFont);
    key.ReadDword("FontBold", &settings->fontBold);
    key.ReadDword("FontItalic", &settings->fontItalic);
    key.ReadDword("SimpleCubicMeter", &settings->simpleCubicMeter);
    key.ReadDword("1200", &settings->baud1200);
    // Stored as 32 bits; the language is the low 16 of them.
    DWORD language = settings->language;
    if (key.ReadDword("Language", &language))
        settings->language = LOWORD(language);
    key.CloseKey();
}

void SaveSettings(const Settings* settings)
{
    C_RegKey key;
    if (!key.CreateKey(HKEY_CURRENT_USER, kSettingsKey))
        return;
    key.WriteString("Port", settings->port);
    key.WriteString("FontName", settings->fontName);
    key.WriteDword("FontSize", (DWORD)settings->fontSize);
    key.WriteDword("UseFont", settings->useFont);
    key.WriteDword("FontBold", settings->fontBold);
    key.WriteDword("FontItalic", settings->fontItalic);
    key.WriteDword("SimpleCubicMeter", settings->simpleCubicMeter);
    key.WriteDword("1200", settings->baud1200);
    key.WriteDword("Language", settings->language);
    key.CloseKey();
}

int SavePlacement(HWND window, HKEY root, const char* path, const char* valueName)
{
    C_RegKey key;
    if (!key.CreateKey(root, path))
        return 0;
    WINDOWPLACEMENT placement;
    memset(&placement, 0, sizeof(placement));
    placement.length = 44;
    if (!GetWindowPlacement(window, &placement))
        return 0;
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
        placement.showCmd = 0;
    char text[64];
    const RECT& r = placement.rcNormalPosition;
    _snprintf(text, sizeof(text) - 1, "%d,%i,%i,%i,%i", (int)placement.showCmd, (int)r.left, (int)r.top,
              (int)r.right, (int)r.bottom);
    text[sizeof(text) - 1] = 0;
    return key.WriteString(valueName, text);
}

WINDOWPLACEMENT PlacementFromText(const char* text, const RECT* workArea)
{
    WINDOWPLACEMENT placement;
    memset(&placement, 0, sizeof(placement));
    int state = 0, left = 0, top = 0, right = 0, bottom = 0;
    sscanf(text, "%d,%i,%i,%i,%i", &state, &left, &top, &right, &bottom);
    if (state == SW_SHOWMINIMIZED || state == SW_HIDE)
        state = SW_SHOWNORMAL;
    if (workArea)
    {
        // Keep the size, put the corner just inside the nearest work area.
        int width = right - left, height = bottom - top;
        left = workArea->left + 10;
        top = workArea->top + 10;
        right = left + width;
        bottom = top + height;
    }
    placement.length = 44;
    placement.showCmd = (UINT)state;
    SetRect(&placement.rcNormalPosition, left, top, right, bottom);
    return placement;
}

int RestorePlacement(HWND window, HKEY root, const char* path, const char* valueName)
{
    C_RegKey key;
    if (!key.OpenRead(root, path))
        return 0;
    char text[260];
    text[0] = 0;
    if (!key.ReadString(valueName, text, sizeof(text)))
        return 0;

    int left = 0, top = 0;
    int state = 0;
    sscanf(text, "%d,%i,%i", &state, &left, &top);
    RECT work;
    const RECT* workArea = NULL;
    {
        // Monitors exist from Windows 98 and 2000 on; without the functions the check is skipped.
        typedef HMONITOR(WINAPI * FromPoint)(POINT, DWORD);
        typedef BOOL(WINAPI * MonitorInfo)(HMONITOR, MONITORINFO*);
        C_Library user32;
        user32.Load("user32.dll");
        FromPoint fromPoint = user32.Get<FromPoint>("MonitorFromPoint");
        MonitorInfo monitorInfo = user32.Get<MonitorInfo>("GetMonitorInfoA");
        POINT corner = {left, top};
        if (fromPoint && monitorInfo && !fromPoint(corner, MONITOR_DEFAULTTONULL))
        {
            MONITORINFO info;
            memset(&info, 0, sizeof(info));
            info.cbSize = 40;
            HMONITOR nearest = fromPoint(corner, MONITOR_DEFAULTTONEAREST);
            if (nearest && monitorInfo(nearest, &info))
            {
                work = info.rcWork;
                workArea = &work;
            }
        }
    }
    WINDOWPLACEMENT placement = PlacementFromText(text, workArea);
    if (!SetWindowPlacement(window, &placement))
        return 0;
    SendMessageA(window, DM_REPOSITION, 0, 0);
    return 1;
}
