#include "support/Registry.h"

#include <shlwapi.h>

static int s_scratchKeys = 0;
static const char kPrivateUser[] = "Software\\Karpolin Tests";

static std::string PrivateUserPath()
{
    return kPrivateUser + ("\\" + std::to_string(GetCurrentProcessId()));
}

C_ScratchKey::C_ScratchKey(const char* path) : m_path(path)
{
    HKEY key;
    if (s_scratchKeys++ == 0 &&
        RegCreateKeyA(HKEY_CURRENT_USER, PrivateUserPath().c_str(), &key) == ERROR_SUCCESS)
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, key);
        RegCloseKey(key);
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, path);
}

C_ScratchKey::~C_ScratchKey()
{
    SHDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
    if (--s_scratchKeys == 0)
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        SHDeleteKeyA(HKEY_CURRENT_USER, PrivateUserPath().c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kPrivateUser); // only when no other run's key is left
    }
}

void C_ScratchKey::SetRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, m_path.c_str(), &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

bool C_ScratchKey::Get(const char* name, std::string* data, DWORD* type) const
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[4096];
    DWORD size = sizeof(buffer);
    LONG result = RegQueryValueExA(key, name, NULL, type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS)
        data->assign(buffer, size);
    return result == ERROR_SUCCESS;
}
