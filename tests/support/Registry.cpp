#include "support/Registry.h"

#include <string.h>

void DeleteUserKeyTree(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    for (;;)
    {
        DWORD length = sizeof(child);
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        DeleteUserKeyTree((std::string(path) + "\\" + child).c_str());
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, path);
}

namespace
{

int s_scratchKeys = 0;
const char kPrivateUser[] = "Software\\Karpolin Tests";

std::string PrivateUserPath()
{
    return std::string(kPrivateUser) + "\\" + std::to_string(GetCurrentProcessId());
}

// HKEY_CURRENT_USER becomes the private key while the first scratch key lives.
void RedirectUser(int on)
{
    if (on && s_scratchKeys++ == 0)
    {
        HKEY key;
        if (RegCreateKeyA(HKEY_CURRENT_USER, PrivateUserPath().c_str(), &key) == ERROR_SUCCESS)
        {
            RegOverridePredefKey(HKEY_CURRENT_USER, key);
            RegCloseKey(key);
        }
    }
    else if (!on && --s_scratchKeys == 0)
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        DeleteUserKeyTree(PrivateUserPath().c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kPrivateUser); // only when no other run's key is left
    }
}

} // namespace

C_ScratchKey::C_ScratchKey(const char* path) : m_path(path)
{
    RedirectUser(1);
    DeleteUserKeyTree(path);
}

C_ScratchKey::~C_ScratchKey()
{
    DeleteUserKeyTree(m_path.c_str());
    RedirectUser(0);
}

void C_ScratchKey::SetRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, m_path.c_str(), &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void C_ScratchKey::SetString(const char* name, const char* text)
{
    SetRaw(name, REG_SZ, text, (DWORD)strlen(text) + 1);
}

void C_ScratchKey::SetDword(const char* name, DWORD value)
{
    SetRaw(name, REG_DWORD, &value, sizeof(value));
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
    if (result != ERROR_SUCCESS)
        return false;
    data->assign(buffer, size);
    return true;
}
