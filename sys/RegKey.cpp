#include "sys/RegKey.h"

#include <stdlib.h>
#include <string.h>

int C_RegKey::OpenRead(HKEY root, const char* path)
{
    CloseKey();
    return RegOpenKeyExA(root, path, 0, KEY_READ, &m_key) == ERROR_SUCCESS ? 1 : (m_key = NULL, 0);
}

int C_RegKey::CreateKey(HKEY root, const char* path)
{
    CloseKey();
    return RegCreateKeyA(root, path, &m_key) == ERROR_SUCCESS ? 1 : (m_key = NULL, 0);
}

int C_RegKey::ReadDword(const char* name, DWORD* target)
{
    DWORD size = sizeof(DWORD);
    return RegQueryValueExA(m_key, name, NULL, NULL, reinterpret_cast<BYTE*>(target), &size) == ERROR_SUCCESS;
}

int C_RegKey::ReadString(const char* name, char* buffer, DWORD capacity)
{
    if (!buffer || capacity == 0)
        return 0;
    // Read into a scratch copy, so that a value too long for the buffer leaves it untouched. The
    // scratch lives on the stack for the usual sizes: the crash report reads the registry too.
    char local[1024];
    char* scratch = capacity <= sizeof(local) ? local : static_cast<char*>(malloc(capacity));
    if (!scratch)
        return 0;
    DWORD size = capacity;
    int ok =
        RegQueryValueExA(m_key, name, NULL, NULL, reinterpret_cast<BYTE*>(scratch), &size) == ERROR_SUCCESS &&
        size <= capacity;
    if (ok && size != 0)
    {
        memcpy(buffer, scratch, size);
        buffer[size - 1] = 0;
    }
    if (scratch != local)
        free(scratch);
    return ok;
}

int C_RegKey::ReadRaw(const char* name, void* buffer, DWORD* size)
{
    return RegQueryValueExA(m_key, name, NULL, NULL, static_cast<BYTE*>(buffer), size) == ERROR_SUCCESS;
}

int C_RegKey::WriteDword(const char* name, DWORD value)
{
    return RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

int C_RegKey::WriteString(const char* name, const char* text)
{
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          (DWORD)strlen(text) + 1) == ERROR_SUCCESS;
}

int C_RegKey::CloseKey()
{
    if (!m_key)
        return 1;
    if (RegCloseKey(m_key) != ERROR_SUCCESS)
        return 0;
    m_key = NULL;
    return 1;
}

int C_RegKey::ValueCount(DWORD* count)
{
    return RegQueryInfoKeyA(m_key, NULL, NULL, NULL, NULL, NULL, NULL, count, NULL, NULL, NULL, NULL) ==
           ERROR_SUCCESS;
}

int C_RegKey::ReadStringAt(DWORD index, char* buffer, DWORD capacity)
{
    char name[260], data[260];
    DWORD nameSize = sizeof(name), size = sizeof(data);
    if (!buffer || capacity == 0 ||
        RegEnumValueA(m_key, index, name, &nameSize, NULL, NULL, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        size > capacity)
        return 0;
    if (size != 0)
    {
        memcpy(buffer, data, size);
        buffer[size - 1] = 0;
    }
    return 1;
}
