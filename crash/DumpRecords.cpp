#include "crash/DumpRecords.h"

#include <string.h>
#include <wchar.h>

#include "sys/Target.h"

C_DumpRecords::C_DumpRecords(NtQueryInformationThreadFunction queryThread_)
    : queryThread(queryThread_), m_heap(HeapCreate(0, 0, 0))
{
}

C_DumpRecords::~C_DumpRecords()
{
    if (m_heap)
        HeapDestroy(m_heap);
}

C_ModuleRecord* C_DumpRecords::NewModule(const wchar_t* path)
{
    if (!m_heap)
        return NULL;
    C_ModuleRecord* record =
        static_cast<C_ModuleRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(C_ModuleRecord)));
    if (!record || !path)
        return record;
    size_t length = wcslen(path);
    record->path = static_cast<wchar_t*>(HeapAlloc(m_heap, 0, 2 * length + 2));
    if (record->path)
        memcpy(record->path, path, 2 * length + 2);
    return record;
}

C_ThreadRecord* C_DumpRecords::NewThread()
{
    if (!m_heap)
        return NULL;
    return static_cast<C_ThreadRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(C_ThreadRecord)));
}

void C_DumpRecords::Free(C_ModuleRecord* record)
{
    if (!record)
        return;
    if (record->path)
        HeapFree(m_heap, 0, record->path);
    HeapFree(m_heap, 0, record);
}

void C_DumpRecords::Free(C_ThreadRecord* record)
{
    if (record)
        HeapFree(m_heap, 0, record);
}

void ReadTextSafely(const void* address, char* buffer, int size)
{
    int count = 0;
    const char* source = static_cast<const char*>(address);
    while (count < size - 1)
    {
        char c = 0;
        SIZE_T read = 0;
        if (!ReadProcessMemory(GetCurrentProcess(), source + count, &c, 1, &read) || read != 1 || c == 0)
            break;
        buffer[count++] = c;
    }
    buffer[count] = 0;
}

namespace
{

void CollectModule(C_DumpRecords& records, const MINIDUMP_MODULE_CALLBACK& module)
{
    C_ModuleRecord* record = records.NewModule(module.FullPath);
    if (!record)
        return;
    record->imageBase = PlainAddress(module.BaseOfImage);
    record->imageSize = module.SizeOfImage;
    record->checkSum = module.CheckSum;
    record->timeDateStamp = module.TimeDateStamp;
    record->versionInfo = module.VersionInfo;
    records.modules.Append(record);
}

// What NtQueryInformationThread answers for ThreadBasicInformation (class 0).
struct ThreadBasicInformation
{
    LONG exitStatus;
    void* tebBaseAddress;
    void* uniqueProcess;
    void* uniqueThread;
    ULONG_PTR affinityMask;
    LONG priority;
    LONG basePriority;
};

int ReadPointer(const char* address, const void** value)
{
    SIZE_T read = 0;
    *value = NULL;
    return ReadProcessMemory(GetCurrentProcess(), address, value, sizeof(*value), &read) &&
           read == sizeof(*value);
}

// The thread's information block, found through its FS selector. Wine gives every thread the same
// selector and answers with the calling thread's block, so a block whose client id names another
// thread is not taken; the system is then asked for the thread's block directly.
const char* FindThreadBlock(HANDLE thread, DWORD threadId, const CONTEXT& context,
                            NtQueryInformationThreadFunction queryThread)
{
    const char* block = Target::FindThreadBlockBySelector(thread, context);
    const void* owner = NULL;
    if (block && ReadPointer(block + Target::kBlockThreadId, &owner) && (DWORD)(ULONG_PTR)owner == threadId)
        return block;
    ThreadBasicInformation basic;
    memset(&basic, 0, sizeof(basic));
    if (queryThread && queryThread(thread, 0, &basic, sizeof(basic), NULL) == 0)
        return static_cast<const char*>(basic.tebBaseAddress);
    return NULL;
}

// The name that the thread's information block points to (NT_TIB.ArbitraryUserPointer). Block and
// name are read through ReadProcessMemory: they belong to another thread and may be anything.
void ReadThreadName(HANDLE thread, DWORD threadId, const CONTEXT& context,
                    NtQueryInformationThreadFunction queryThread, char* name, int size)
{
    name[0] = 0;
    const char* block = FindThreadBlock(thread, threadId, context, queryThread);
    const void* pointer = NULL;
    if (block && ReadPointer(block + Target::kBlockUserPointer, &pointer) && pointer)
        ReadTextSafely(pointer, name, size);
}

void CollectThread(C_DumpRecords& records, const MINIDUMP_THREAD_CALLBACK& thread)
{
    C_ThreadRecord* record = records.NewThread();
    if (!record)
        return;
    record->threadId = thread.ThreadId;
    record->stackBase = thread.StackBase;
    record->stackEnd = thread.StackEnd;

    // Wine's dump library passes no thread handle; the thread is then opened by its id.
    HANDLE handle = thread.ThreadHandle;
    HANDLE opened = NULL;
    if (!handle)
        handle = opened = OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread.ThreadId);
    if (handle)
    {
        ReadThreadName(handle, thread.ThreadId, thread.Context, records.queryThread, record->name,
                       sizeof(record->name));
        record->startAddress = 0;
        if (records.queryThread)
            records.queryThread(handle, 9, &record->startAddress, sizeof(record->startAddress), NULL);
    }
    if (opened)
        CloseHandle(opened);
    records.threads.Append(record);
}

} // namespace

BOOL CALLBACK CollectDumpRecord(PVOID parameter, const PMINIDUMP_CALLBACK_INPUT input,
                                PMINIDUMP_CALLBACK_OUTPUT)
{
    C_DumpRecords* records = static_cast<C_DumpRecords*>(parameter);
    if (!records || !input)
        return TRUE;
    switch (input->CallbackType)
    {
    case ModuleCallback:
        CollectModule(*records, input->Module);
        break;
    case ThreadCallback:
        CollectThread(*records, input->Thread);
        break;
    default:
        break;
    }
    return TRUE;
}
