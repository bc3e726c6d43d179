#pragma once

#include <windows.h>

// Holds one registry key, closed on destruction. Every registry access of the program goes through it.
class C_RegKey
{
public:
    C_RegKey() : m_key(NULL) {}
    ~C_RegKey() { CloseKey(); }

    int OpenRead(HKEY root, const char* path);
    // Creates missing keys on the way.
    int CreateKey(HKEY root, const char* path);
    // Copies a value of at most 4 bytes, of any type, over the first bytes of `target`; a longer
    // value fails and leaves `target` as it was.
    int ReadDword(const char* name, DWORD* target);
    // Always terminates within `capacity`: the last byte read becomes the terminator. A value that
    // does not fit fails and leaves the buffer as it was.
    int ReadString(const char* name, char* buffer, DWORD capacity);
    int ReadRaw(const char* name, void* buffer, DWORD* size);
    // How many values the key holds, for walking them with ReadStringAt.
    int ValueCount(DWORD* count);
    // The data of the value at `index` as ReadString gives it; a value whose name or data does not
    // fit fails and leaves the buffer as it was.
    int ReadStringAt(DWORD index, char* buffer, DWORD capacity);
    int WriteDword(const char* name, DWORD value);
    int WriteString(const char* name, const char* text);
    // 1 when nothing was open; 0 (and the key kept) when the platform refuses to close it.
    int CloseKey();
    HKEY Key() const { return m_key; }

private:
    C_RegKey(const C_RegKey&) = delete;
    C_RegKey& operator=(const C_RegKey&) = delete;

    HKEY m_key;
};
