#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "crash/DumpRecords.h"
#include "ui/Library.h"

namespace
{

NtQueryInformationThreadFunction RealQueryThread()
{
    return reinterpret_cast<NtQueryInformationThreadFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
}

MINIDUMP_CALLBACK_INPUT ModuleInput(const wchar_t* path, DWORD64 base)
{
    MINIDUMP_CALLBACK_INPUT input;
    memset(&input, 0, sizeof(input));
    input.CallbackType = ModuleCallback;
    input.Module.FullPath = const_cast<wchar_t*>(path);
    input.Module.BaseOfImage = base;
    input.Module.SizeOfImage = 0x5000;
    input.Module.CheckSum = 0x1234;
    input.Module.TimeDateStamp = 0x41107B4E;
    input.Module.VersionInfo.dwFileVersionMS = 0x00050001;
    input.Module.VersionInfo.dwProductVersionLS = 0x0A280884;
    return input;
}

int Count(const C_LockedList<C_ModuleRecord>& list)
{
    int count = 0;
    for (C_ModuleRecord* record = list.First(); record; record = record->next)
        count++;
    return count;
}

} // namespace

TEST(CollectDumpRecord, ModulesAreCopiedInArrivalOrder)
{
    C_DumpRecords records(NULL);
    MINIDUMP_CALLBACK_OUTPUT output;
    MINIDUMP_CALLBACK_INPUT first = ModuleInput(L"C:\\Tools\\Viewer.exe", 0x400000);
    MINIDUMP_CALLBACK_INPUT second = ModuleInput(NULL, 0xFFFFFFFF80000000ULL);
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &first, &output));
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &second, &output));
    // The callback copies: the input's own text may go away.
    first.Module.FullPath = NULL;

    ASSERT_EQ(2, Count(records.modules));
    C_ModuleRecord* record = records.modules.First();
    ASSERT_NE(nullptr, record->path);
    EXPECT_EQ(std::wstring(L"C:\\Tools\\Viewer.exe"), record->path);
    EXPECT_EQ(0x400000u, record->imageBase);
    EXPECT_EQ(0x5000u, record->imageSize);
    EXPECT_EQ(0x1234u, record->checkSum);
    EXPECT_EQ(0x41107B4Eu, record->timeDateStamp);
    EXPECT_EQ(0x00050001u, record->versionInfo.dwFileVersionMS);
    EXPECT_EQ(0x0A280884u, record->versionInfo.dwProductVersionLS);

    record = record->next;
    EXPECT_EQ(nullptr, record->path) << "a module without a path keeps its record";
    EXPECT_EQ(0x80000000u, record->imageBase) << "a sign-extended base is stored as its low word";
    EXPECT_EQ(records.modules.Last(), record);
}

namespace
{

NT_TIB* CurrentBlock()
{
#if defined(__GNUC__)
// GCC takes the FS-relative read in NtCurrentTeb for an access to an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    return reinterpret_cast<NT_TIB*>(NtCurrentTeb());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// A thread whose information block names it, waiting until it is let go.
struct NamedThread
{
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    const void* name = NULL;
    HANDLE handle = NULL;
    DWORD id = 0;

    explicit NamedThread(const void* name_) : name(name_)
    {
        handle = CreateThread(NULL, 0, Run, this, 0, &id);
        WaitForSingleObject(ready, 10000);
    }
    ~NamedThread()
    {
        SetEvent(release);
        WaitForSingleObject(handle, 10000);
        CloseHandle(handle);
        CloseHandle(ready);
        CloseHandle(release);
    }
    static DWORD WINAPI Run(void* data)
    {
        NamedThread* self = static_cast<NamedThread*>(data);
        NT_TIB* block = CurrentBlock();
        void* before = block->ArbitraryUserPointer;
        block->ArbitraryUserPointer = const_cast<void*>(self->name);
        SetEvent(self->ready);
        WaitForSingleObject(self->release, INFINITE);
        block->ArbitraryUserPointer = before;
        return 0;
    }
    // The callback input that the dump library gives for this thread.
    MINIDUMP_CALLBACK_INPUT Input(bool withHandle) const
    {
        MINIDUMP_CALLBACK_INPUT input;
        memset(&input, 0, sizeof(input));
        input.CallbackType = ThreadCallback;
        input.Thread.ThreadId = id;
        input.Thread.ThreadHandle = withHandle ? handle : NULL;
        input.Thread.Context.ContextFlags = CONTEXT_SEGMENTS;
        SuspendThread(handle);
        GetThreadContext(handle, &input.Thread.Context);
        ResumeThread(handle);
        input.Thread.StackBase = 0x8AF2000;
        input.Thread.StackEnd = 0x8CF0000;
        return input;
    }
};

C_ThreadRecord* CollectThread(C_DumpRecords& records, const MINIDUMP_CALLBACK_INPUT& input)
{
    MINIDUMP_CALLBACK_OUTPUT output;
    MINIDUMP_CALLBACK_INPUT copy = input;
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &copy, &output));
    return records.threads.Last();
}

} // namespace

TEST(CollectDumpRecord, ThreadNameAndStartAddressFromTheThreadItself)
{
    static const char kName[] = "download worker";
    NamedThread thread(kName);
    // The collecting thread has a name of its own, which must not be taken for the other's (Wine
    // answers every thread's selector with the caller's block).
    static const char kCaller[] = "dump thread";
    NT_TIB* block = CurrentBlock();
    void* before = block->ArbitraryUserPointer;
    block->ArbitraryUserPointer = const_cast<char*>(kCaller);
    C_DumpRecords records(RealQueryThread());
    C_ThreadRecord* record = CollectThread(records, thread.Input(true));
    C_ThreadRecord* byId = CollectThread(records, thread.Input(false));
    block->ArbitraryUserPointer = before;
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(thread.id, record->threadId);
    EXPECT_EQ(0x8AF2000u, record->stackBase);
    EXPECT_EQ(0x8CF0000u, record->stackEnd);
    EXPECT_STREQ(kName, record->name);
    EXPECT_EQ((DWORD)(ULONG_PTR)&NamedThread::Run, record->startAddress);

    // Wine's dump library gives no thread handle: the thread is found by its id.
    ASSERT_NE(record, byId);
    EXPECT_STREQ(kName, byId->name);
    EXPECT_EQ(record->startAddress, byId->startAddress);
}

TEST(CollectDumpRecord, ThreadNameKeptTo99Characters)
{
    std::string name(150, 'w');
    NamedThread thread(name.c_str());
    C_DumpRecords records(RealQueryThread());
    C_ThreadRecord* record = CollectThread(records, thread.Input(true));
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(std::string(99, 'w'), record->name);
}

TEST(CollectDumpRecord, WithoutNtQueryInformationThreadStartAddressIsZero)
{
    NamedThread thread("named");
    C_DumpRecords records(NULL);
    C_ThreadRecord* record = CollectThread(records, thread.Input(true));
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(thread.id, record->threadId);
    EXPECT_EQ(0u, record->startAddress);
}

TEST(CollectDumpRecord, ThreadNamePointerIntoNowhereGivesEmptyName)
{
    NamedThread thread(reinterpret_cast<const void*>(0x10));
    C_DumpRecords records(RealQueryThread());
    C_ThreadRecord* record = CollectThread(records, thread.Input(true));
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ("", record->name);
    EXPECT_NE(0u, record->startAddress);
}

TEST(ReadTextSafely, StopsAtUnreadableMemory)
{
    char buffer[16];
    ReadTextSafely(reinterpret_cast<const void*>(0x10), buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);

    // A text that runs up to the end of its memory is read as far as it goes.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char* page = static_cast<char*>(VirtualAlloc(NULL, system.dwPageSize * 2, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, page);
    ASSERT_NE(nullptr, VirtualAlloc(page, system.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    char* end = page + system.dwPageSize - 3;
    memcpy(end, "abc", 3);
    ReadTextSafely(end, buffer, sizeof(buffer));
    EXPECT_STREQ("abc", buffer);
    VirtualFree(page, 0, MEM_RELEASE);
}
