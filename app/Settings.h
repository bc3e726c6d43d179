#pragma once

#include <windows.h>

// Where the program keeps its options and the main window's placement, below HKEY_CURRENT_USER.
extern const char kSettingsKey[];
extern const char kPlacementValue[];

// The options of the main window, read once at set-up and written once at close.
struct Settings
{
    char port[12];          // "Port": the serial port's name, handed to the system as stored
    char fontName[32];      // "FontName"
    LONG fontSize;          // "FontSize": font height in logical units
    DWORD useFont;          // "UseFont": 1 = the display font is used
    DWORD fontBold;         // "FontBold": 1 = weight 700
    DWORD fontItalic;       // "FontItalic": nonzero = italic
    DWORD simpleCubicMeter; // "SimpleCubicMeter": 1 = a plain '3' for cubic metres
    DWORD baud1200;         // "1200": 1 = 1200 baud instead of 9600
    WORD language;          // "Language": the selected language id
};

// Port "com2", FontName "Tahoma", FontSize -11, the other options 0, the given language.
void SetDefaultSettings(Settings* settings, WORD language);

// Stored values replace the defaults; a missing key or value, or a text too long for its field,
// keeps the default.
void LoadSettings(Settings* settings);
void SaveSettings(const Settings* settings);

// The window's show state and normal rectangle as "state,left,top,right,bottom".
int SavePlacement(HWND window, HKEY root, const char* path, const char* valueName);
// Applies a stored placement; a minimised or hidden window comes back normal, and a window whose
// top-left corner lies on no monitor is moved onto the nearest one.
int RestorePlacement(HWND window, HKEY root, const char* path, const char* valueName);

// The part of RestorePlacement that decides: the placement to apply for a stored text. `workArea` is
// the work area of the monitor nearest to the stored top-left corner, or null when that corner lies
// on a monitor (or the monitor functions are missing).
WINDOWPLACEMENT PlacementFromText(const char* text, const RECT* workArea);
