#pragma once

#include <windows.h>
#include <dbghelp.h>

#include "crash/DebugHelp.h"
#include "sys/LockedList.h"

// One module that the minidump reported.
struct C_ModuleRecord
{
    C_ModuleRecord* next;
    C_ModuleRecord* prev;
    wchar_t* path; // null when there was no memory for it
    DWORD64 imageBase;
    DWORD imageSize;
    DWORD checkSum;
    DWORD timeDateStamp;
    VS_FIXEDFILEINFO versionInfo;
};

// One thread that the minidump reported.
struct C_ThreadRecord
{
    C_ThreadRecord* next;
    C_ThreadRecord* prev;
    DWORD threadId;
    DWORD64 stackBase;
    DWORD64 stackEnd;
    char name[100];
    ULONG_PTR startAddress;
};

// The module and thread lists of one report run: the dump callback fills them on the dump thread,
// the report writer empties them afterwards. The records live on a heap of their own, so that
// neither thread needs the runtime's heap, whose lock the crashed thread may hold; whatever is
// left is released with that heap.
class C_DumpRecords
{
public:
    explicit C_DumpRecords(NtQueryInformationThreadFunction queryThread);
    ~C_DumpRecords();

    C_ModuleRecord* NewModule(const wchar_t* path);
    C_ThreadRecord* NewThread();
    void Free(C_ModuleRecord* record);
    void Free(C_ThreadRecord* record);

    C_LockedList<C_ModuleRecord> modules;
    C_LockedList<C_ThreadRecord> threads;
    NtQueryInformationThreadFunction queryThread;

private:
    C_DumpRecords(const C_DumpRecords&) = delete;
    C_DumpRecords& operator=(const C_DumpRecords&) = delete;

    HANDLE m_heap;
};

// The callback of MiniDumpWriteDump; `parameter` is the C_DumpRecords. Collects one record per module
// and thread and never changes what goes into the dump.
BOOL CALLBACK CollectDumpRecord(PVOID parameter, const PMINIDUMP_CALLBACK_INPUT input,
                                PMINIDUMP_CALLBACK_OUTPUT output);

// The text at `address` of this process, at most `size` - 1 characters, read so that an invalid
// address gives an empty or shorter text instead of a fault.
void ReadTextSafely(const void* address, char* buffer, int size);

// A 64-bit address whose high word is 0xFFFFFFFF (a sign-extended 32-bit one) as its low word.
inline DWORD64 PlainAddress(DWORD64 address)
{
    return (address >> 32) == 0xFFFFFFFF ? (address & 0xFFFFFFFF) : address;
}
