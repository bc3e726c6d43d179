#pragma once

#include <windows.h>

// String lookup in a chosen language. Lookups without a buffer of the caller's write into the one
// buffer of this object, so each such lookup overwrites the previous result.
class C_StringTable
{
public:
    enum
    {
        kTextLength = 600,
        kBufferSize = kTextLength + 1
    };

    explicit C_StringTable(HINSTANCE module = NULL) : m_module(module) { m_buffer[0] = 0; }

    // "?" when no language of the chain holds the string. 1024 stands for the user's default
    // language and 2048 for the system's. `size` is the room in `buffer`.
    const char* LoadLocalizedString(UINT id, char* buffer, WORD language, int size = kBufferSize);
    // In the language the platform's LoadStringA picks.
    const char* LoadPlainString(UINT id, char* buffer, int size = kBufferSize);

private:
    HINSTANCE m_module;
    char m_buffer[kBufferSize];
};
