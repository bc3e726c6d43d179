#include <string.h>

#include <string>

#include "CrashTestFiles.h"
#include "crash/DumpRecords.h"

TEST(CollectDumpRecord, ModulesAreCopiedInArrivalOrder)
{
    C_DumpRecords records(NULL);
    MINIDUMP_CALLBACK_INPUT input = {};
    input.CallbackType = ModuleCallback;
    std::wstring path = L"C:\\Tools\\Viewer.exe";
    input.Module.FullPath = &path[0];
    input.Module.BaseOfImage = 0x400000;
    input.Module.SizeOfImage = 0x5000;
    input.Module.CheckSum = 0x1234;
    input.Module.TimeDateStamp = 0x41107B4E;
    input.Module.VersionInfo.dwProductVersionLS = 0x0A280884;
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &input, NULL));
    path = L"gone";
    input.Module.FullPath = NULL;
    input.Module.BaseOfImage = 0xFFFFFFFF80000000ULL;
    EXPECT_EQ(TRUE, CollectDumpRecord(&records, &input, NULL));

    C_ModuleRecord* first = records.modules.First();
    ASSERT_TRUE(first && first->path && first->next);
    EXPECT_EQ(std::wstring(L"C:\\Tools\\Viewer.exe"), first->path) << "a copy of the path";
    EXPECT_EQ(0x400000u, first->imageBase);
    EXPECT_EQ(0x5000u, first->imageSize);
    EXPECT_EQ(0x1234u, first->checkSum);
    EXPECT_EQ(0x41107B4Eu, first->timeDateStamp);
    EXPECT_EQ(0x0A280884u, first->versionInfo.dwProductVersionLS);
    EXPECT_EQ(NULL, first->next->path) << "a module without a path keeps its record";
    EXPECT_EQ(0x80000000u, first->next->imageBase) << "a sign-extended base is stored as its low word";
    EXPECT_EQ(records.modules.Last(), first->next);
}

namespace
{

NT_TIB* OwnBlock()
{
#if defined(__GNUC__) // GCC takes the FS-relative read for an access to an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    return reinterpret_cast<NT_TIB*>(NtCurrentTeb());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// A thread whose information block points to `name`, waiting until it is let go.
struct NamedThread
{
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL), release = CreateEventA(NULL, TRUE, FALSE, NULL);
    const void* name;
    DWORD id = 0;
    HANDLE handle = CreateThread(NULL, 0, Run, this, 0, &id);

    explicit NamedThread(const void* name_) : name(name_) { WaitForSingleObject(ready, 10000); }
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
        NT_TIB* block = OwnBlock();
        block->ArbitraryUserPointer = const_cast<void*>(self->name);
        SetEvent(self->ready);
        WaitForSingleObject(self->release, INFINITE);
        block->ArbitraryUserPointer = NULL;
        return 0;
    }
    // The record that the callback makes of this thread, given its handle or (like Wine) not.
    C_ThreadRecord Collect(C_DumpRecords& records, bool withHandle)
    {
        MINIDUMP_CALLBACK_INPUT input = {};
        input.CallbackType = ThreadCallback;
        input.Thread.ThreadId = id;
        input.Thread.ThreadHandle = withHandle ? handle : NULL;
        input.Thread.Context.ContextFlags = CONTEXT_SEGMENTS;
        SuspendThread(handle);
        GetThreadContext(handle, &input.Thread.Context);
        ResumeThread(handle);
        input.Thread.StackBase = 0x8AF2000;
        input.Thread.StackEnd = 0x8CF0000;
        EXPECT_EQ(TRUE, CollectDumpRecord(&records, &input, NULL));
        C_ThreadRecord* record = records.threads.Last();
        return record ? *record : C_ThreadRecord();
    }
};

} // namespace

TEST(CollectDumpRecord, ThreadNameAndStartAddressFromTheThreadItself)
{
    const std::string longName(150, 'w'), cut(99, 'w');
    const struct
    {
        const void* name;
        const char* expected;
    } kRows[] = {{"download worker", "download worker"},
                 {longName.c_str(), cut.c_str()},
                 {reinterpret_cast<const void*>(0x10), ""}};
    // The collecting thread has a name of its own, which must not be taken for the other's (Wine
    // answers every thread's selector with the caller's block).
    NT_TIB* block = OwnBlock();
    void* before = block->ArbitraryUserPointer;
    block->ArbitraryUserPointer = const_cast<char*>("dump thread");
    NtQueryInformationThreadFunction query = reinterpret_cast<NtQueryInformationThreadFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    for (const auto& row : kRows)
    {
        NamedThread thread(row.name);
        C_DumpRecords records(query), noQuery(NULL);
        for (bool withHandle : {true, false})
        {
            C_ThreadRecord record = thread.Collect(records, withHandle);
            EXPECT_EQ(thread.id, record.threadId);
            EXPECT_EQ(0x8AF2000u, record.stackBase);
            EXPECT_EQ(0x8CF0000u, record.stackEnd);
            EXPECT_STREQ(row.expected, record.name) << "with handle " << withHandle;
            EXPECT_EQ((DWORD)(ULONG_PTR)&NamedThread::Run, record.startAddress);
        }
        EXPECT_EQ(0u, thread.Collect(noQuery, true).startAddress) << "without NtQueryInformationThread";
    }
    block->ArbitraryUserPointer = before;
}
