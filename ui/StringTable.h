#pragma once

#include <windows.h>

// The resource of that type and name in `language`, or in the first language of the fallback chain
// that has it: the language, its primary language with the default and with the neutral sublanguage,
// neutral, English (US), English (UK), English neutral. Null when none has it. The data are
// read-only and need no release.
const void* FindLocalizedResource(HMODULE module, LPCSTR type, LPCSTR name, WORD language, DWORD* size);

// String lookup in a chosen language. Lookups without a buffer of the caller's write into the one
// buffer of this object, so each such lookup overwrites the previous result.
class C_StringTable
{
public:
    enum
    {
        kTextLength = 600,
        kBufferSize = kTextLength + 1
    };

    explicit C_StringTable(HINSTANCE module = NULL) : m_module(module) { m_buffer[0] = 0; }
    void SetModule(HINSTANCE module) { m_module = module; }
    HINSTANCE Module() const { return m_module; }

    // "?" when no language of the chain holds the string. 1024 stands for the user's default
    // language and 2048 for the system's. `size` is the room in `buffer`.
    const char* LoadLocalizedString(UINT id, char* buffer, WORD language, int size = kBufferSize);
    // In the language the platform's LoadStringA picks.
    const char* LoadPlainString(UINT id, char* buffer, int size = kBufferSize);

private:
    HINSTANCE m_module;
    char m_buffer[kBufferSize];
};

// The menu bar of a window, loadable in one exact language, and check marks on it.
class C_Menu
{
public:
    C_Menu() : m_owner(NULL), m_module(NULL), m_menu(NULL) {}

    // Takes the submenu at `position` of the owner's menu bar; 0 when there is none.
    int Attach(HWND owner, int position, HINSTANCE module);
    int CheckItem(UINT item, int byCommand, int checked);
    // Installs menu `menuId` in exactly `language`; 0 leaves the current menu bar in place.
    int LoadMenuForLanguage(WORD menuId, WORD language);
    HMENU Menu() const { return m_menu; }

private:
    HWND m_owner;
    HINSTANCE m_module;
    HMENU m_menu;
};

enum
{
    kTitleSize = 200
};

// "name [major.minor]" from the FileVersion of `module` (the program itself when null), 1.01 when it
// has none. `buffer` holds kTitleSize bytes.
const char* FormatTitle(const char* name, HMODULE module, char* buffer);

// Reads the FileVersion string of a file ("040704B0", else "040904B0") as "%u.%u". `text`, when
// given, receives the whole string and holds `textSize` bytes.
int ReadFileVersion(const char* path, UINT* major, UINT* minor, char* text = NULL, int textSize = 0);

// The dialog template `templateId`, found with the language chain, with its font rewritten by
// FixTemplateFont: a heap copy the caller frees with free(), or null to use the stored template.
DLGTEMPLATE* LoadDialogTemplate(HMODULE module, WORD templateId, WORD language);
