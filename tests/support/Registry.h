#pragma once

#include <windows.h>

#include <string>

// Vista's own calls, which the program's Windows XP headers leave out.
extern "C" LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subKey);
extern "C" LONG WINAPI RegSetKeyValueA(HKEY key, LPCSTR subKey, LPCSTR name, DWORD type, LPCVOID data,
                                       DWORD size);
extern "C" LONG WINAPI RegDeleteKeyValueA(HKEY key, LPCSTR subKey, LPCSTR name);

// A registry key below HKEY_CURRENT_USER that a test owns: deleted, with everything below it, when
// the test begins and again when it ends. While any scratch key lives, HKEY_CURRENT_USER of this
// process is a private key of the test run's own, so that a test run on a person's machine neither
// reads nor changes their settings; the private key goes when the last scratch key does.
class C_ScratchKey
{
public:
    explicit C_ScratchKey(const char* path) : m_path(path)
    {
        HKEY key;
        if (s_keys++ == 0 && RegCreateKeyA(HKEY_CURRENT_USER, Private().c_str(), &key) == ERROR_SUCCESS)
            RegOverridePredefKey(HKEY_CURRENT_USER, key), RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, path);
    }
    ~C_ScratchKey()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
        if (--s_keys == 0)
            RegOverridePredefKey(HKEY_CURRENT_USER, NULL),
                RegDeleteTreeA(HKEY_CURRENT_USER, Private().c_str()),
                RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Karpolin Tests"); // unless another run's is left
    }
    // Writes a value of any type and size directly, bypassing the code under test.
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        RegSetKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), name, type, data, size);
    }
    void SetString(const char* name, const char* text) { SetRaw(name, REG_SZ, text, lstrlenA(text) + 1); }
    void SetDword(const char* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof(value)); }
    // The value's bytes and type, or false when it is missing.
    bool Get(const char* name, std::string* data, DWORD* type) const
    {
        char buffer[4096];
        DWORD size = sizeof(buffer);
        bool found = !RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type,
                                   buffer, &size);
        return found && (data->assign(buffer, size), true);
    }

private:
    static std::string Private()
    {
        return "Software\\Karpolin Tests\\" + std::to_string(GetCurrentProcessId());
    }
    static inline int s_keys = 0;
    std::string m_path;
};
