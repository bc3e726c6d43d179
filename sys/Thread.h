#pragma once

#include <windows.h>

#include <atomic>

#include "sys/CriticalSection.h"
#include "sys/Event.h"

typedef DWORD (*C_ThreadRoutine)(void* data, DWORD value);

// One worker thread that runs a routine once per Start and signals `done` when the routine has
// returned. Destroying a running C_Thread terminates the thread; there is no other way to stop it.
class C_Thread
{
public:
    C_Thread();
    ~C_Thread();

    // Refuses (0) while a run is still going; nothing changes then.
    int Start(C_ThreadRoutine routine, void* data, DWORD value);
    // 1 when the end of the running routine was seen; 0 at once when nothing runs.
    // 0 milliseconds waits without limit. The calling thread's messages are dispatched meanwhile
    // (see PumpMode).
    int Wait(DWORD milliseconds, PumpMode mode = kPumpAll);

    int IsRunning() const { return (m_flags.load() & kRunning) != 0; }
    DWORD Result() const { return m_result; }
    DWORD ThreadId() const { return m_threadId; }

private:
    C_Thread(const C_Thread&) = delete;
    C_Thread& operator=(const C_Thread&) = delete;

    enum
    {
        kRunning = 1
    };

    static DWORD WINAPI Finish(void* self);
    void ForceStop();

    void* m_data;
    DWORD m_value;
    DWORD m_result;
    std::atomic<unsigned> m_flags;
    HANDLE m_handle;
    DWORD m_threadId;
    C_ThreadRoutine m_routine;
    C_Event m_done;
    // Orders the end of a run against Start and the forced stop, so that exactly one of the worker
    // and the destructor closes the thread handle, and a new Start never replaces `done` while the
    // previous worker still signals it.
    C_CriticalSection m_state;
};
