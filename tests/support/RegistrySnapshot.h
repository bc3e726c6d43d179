#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Remembers one registry key's values (not its subkeys) and puts them back when destroyed: a key
// that did not exist is removed again. Tests change the real registry through it and leave it as
// they found it.
class C_RegistrySnapshot
{
public:
    C_RegistrySnapshot(HKEY root, const char* path);
    ~C_RegistrySnapshot();

    int SetString(const char* name, const char* value);
    int DeleteValue(const char* name);
    // Removes the key itself; 0 when it has subkeys.
    int DeleteKey();

private:
    struct Value
    {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY m_root;
    std::string m_path;
    bool m_existed;
    std::vector<Value> m_values;
};
