#pragma once

#include <windows.h>

// The stand-in (tests/ui/fake) for uxtheme: a theme for any class list but L"NoSuchClass", and its
// calls counted. Held loaded, it keeps its counts while the code loads and frees it.
class C_FakeSystemLibrary
{
public:
    enum Entry // the last: SetWindowTheme with L"explorer"
    {
        kOpenThemeData,
        kCloseThemeData,
        kExplorerTheme
    };
    static constexpr const char* kName = "KarpolinFakeSystem.dll";

    C_FakeSystemLibrary() : m_module(LoadLibraryA(kName))
    {
        m_calls = reinterpret_cast<LONG*>(GetProcAddress(m_module, "FakeCalls"));
        if (m_calls)
            m_calls[0] = m_calls[1] = m_calls[2] = 0;
    }
    ~C_FakeSystemLibrary() { FreeLibrary(m_module); }
    bool Loaded() const { return m_calls != NULL; }
    LONG Calls(Entry entry) const { return m_calls[entry]; }

private:
    HMODULE m_module;
    LONG* m_calls;
};
