#pragma once

#include <windows.h>

// Holds one library loaded at run time, so that optional entry points can be looked up by name and a
// missing one selects a fallback instead of stopping the program. Never FreeLibrary from DllMain.
class C_Library
{
public:
    C_Library() : m_module(NULL) {}
    ~C_Library() { Free(); }

    // Releases a library already held first, even when the new one cannot be loaded.
    int Load(const char* fileName);
    // Null without a library, without calling the platform.
    FARPROC GetProc(const char* entryName) const;
    int Free();

    template <class Function>
    Function Get(const char* entryName) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProc(entryName)));
    }

private:
    C_Library(const C_Library&) = delete;
    C_Library& operator=(const C_Library&) = delete;

    HMODULE m_module;
};
