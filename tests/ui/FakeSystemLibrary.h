#pragma once

#include <windows.h>

// The test program's stand-in for the common controls' version query and for uxtheme
// (tests/ui/fake): it answers 5.82, hands out a theme for any class list but L"NoSuchClass", and
// counts its calls. Holding it loaded keeps its counters across the code's own loads and frees.
class C_FakeSystemLibrary
{
public:
    static const char kName[];

    C_FakeSystemLibrary() : m_module(LoadLibraryA(kName))
    {
        if (m_module)
            Get<void(WINAPI*)()>("FakeReset")();
    }
    ~C_FakeSystemLibrary()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    bool Loaded() const { return m_module != NULL; }
    LONG Calls(const char* entry) const { return Get<LONG(WINAPI*)(const char*)>("FakeCallCount")(entry); }
    HWND LastThemeWindow() const { return Get<HWND(WINAPI*)()>("FakeLastThemeWindow")(); }
    const wchar_t* LastSubAppName() const { return Get<const wchar_t*(WINAPI*)()>("FakeLastSubAppName")(); }

private:
    template <class Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }
    HMODULE m_module;
};
