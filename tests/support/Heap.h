#pragma once

#include <windows.h>

#include <malloc.h>
#include <string.h>

// Bytes in use on the C runtime's heap, where malloc and new put their blocks.
inline size_t HeapInUse()
{
    _HEAPINFO info = {};
    size_t used = 0;
    while (_heapwalk(&info) == _HEAPOK)
        used += info._useflag == _USEDENTRY ? info._size : 0;
    return used;
}

// Bytes that end where a page nobody may read begins, so that a read past their end faults.
struct C_GuardedBytes
{
    BYTE* pages = (BYTE*)VirtualAlloc(NULL, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD old = 0;
    BOOL guarded = VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old);
    ~C_GuardedBytes() { VirtualFree(pages, 0, MEM_RELEASE); }
    // The first `size` bytes of `bytes`, copied to the end of the readable page.
    BYTE* Place(const void* bytes, size_t size) { return (BYTE*)memcpy(pages + 4096 - size, bytes, size); }
};
