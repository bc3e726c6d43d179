#pragma once

#include <windows.h>

#include <string>

// A registry key below HKEY_CURRENT_USER that a test owns: deleted, with everything below it, when
// the test begins and again when it ends. While any scratch key lives, HKEY_CURRENT_USER of this
// process is a private key of the test run's own, so that a test run on a person's machine neither
// reads nor changes their settings; the private key goes when the last scratch key does.
class C_ScratchKey
{
public:
    explicit C_ScratchKey(const char* path);
    ~C_ScratchKey();
    // Writes a value of any type and size directly, bypassing the code under test.
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size);
    void SetString(const char* name, const char* text) { SetRaw(name, REG_SZ, text, lstrlenA(text) + 1); }
    void SetDword(const char* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof(value)); }
    // The value's bytes and type, or false when it is missing.
    bool Get(const char* name, std::string* data, DWORD* type) const;

private:
    std::string m_path;
};
