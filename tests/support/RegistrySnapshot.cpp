#include "support/RegistrySnapshot.h"

C_RegistrySnapshot::C_RegistrySnapshot(HKEY root, const char* path)
    : m_root(root), m_path(path), m_existed(false)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    m_existed = true;
    for (DWORD index = 0;; index++)
    {
        char name[16384];
        DWORD nameSize = sizeof(name), type = 0, dataSize = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, NULL, &dataSize) != ERROR_SUCCESS)
            break;
        Value value;
        value.name.assign(name, nameSize);
        value.type = type;
        value.data.resize(dataSize);
        DWORD size = dataSize;
        RegQueryValueExA(key, value.name.c_str(), NULL, NULL, value.data.empty() ? NULL : &value.data[0],
                         &size);
        m_values.push_back(value);
    }
    RegCloseKey(key);
}

C_RegistrySnapshot::~C_RegistrySnapshot()
{
    if (!m_existed)
    {
        RegDeleteKeyA(m_root, m_path.c_str());
        return;
    }
    HKEY key;
    if (RegCreateKeyA(m_root, m_path.c_str(), &key) != ERROR_SUCCESS)
        return;
    for (;;)
    {
        char name[16384];
        DWORD nameSize = sizeof(name);
        if (RegEnumValueA(key, 0, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS)
            break;
    }
    for (const Value& value : m_values)
        RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.empty() ? NULL : &value.data[0],
                       (DWORD)value.data.size());
    RegCloseKey(key);
}

int C_RegistrySnapshot::SetString(const char* name, const char* value)
{
    HKEY key;
    if (RegCreateKeyA(m_root, m_path.c_str(), &key) != ERROR_SUCCESS)
        return 0;
    LONG result =
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int C_RegistrySnapshot::DeleteValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 1;
    LONG result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

int C_RegistrySnapshot::DeleteKey()
{
    LONG result = RegDeleteKeyA(m_root, m_path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
