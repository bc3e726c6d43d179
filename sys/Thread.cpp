#include "sys/Thread.h"

// How long the forced stop waits for a terminated thread to be gone before it closes its handle.
static const DWORD kTerminateWait = 2000;

C_Thread::C_Thread()
    : m_data(NULL), m_value(0), m_result(0), m_flags(0), m_handle(NULL), m_threadId(0), m_routine(NULL)
{
}

C_Thread::~C_Thread()
{
    ForceStop();
    m_done.Close();
}

int C_Thread::Start(C_ThreadRoutine routine, void* data, DWORD value)
{
    C_Lock lock(m_state);
    if (m_flags.load() & kRunning)
        return 0;
    m_flags.store(kRunning);
    m_data = data;
    m_routine = routine;
    m_value = value;
    m_done.Create(TRUE, FALSE);
    // Created suspended so that the handle is stored before the routine can finish and take it.
    m_handle = CreateThread(NULL, 0, Finish, this, CREATE_SUSPENDED, &m_threadId);
    if (!m_handle)
    {
        m_flags.store(0);
        return 0;
    }
    ResumeThread(m_handle);
    return 1;
}

DWORD WINAPI C_Thread::Finish(void* self)
{
    C_Thread* thread = static_cast<C_Thread*>(self);
    DWORD r = thread->m_routine(thread->m_data, thread->m_value);

    C_Lock lock(thread->m_state);
    if (!(thread->m_flags.load() & kRunning))
        return r; // the destructor's forced stop got here first and owns the handle
    HANDLE handle = thread->m_handle;
    thread->m_flags.store(0);
    thread->m_handle = NULL;
    thread->m_result = r;
    thread->m_done.Set();
    CloseHandle(handle);
    return r;
}

int C_Thread::Wait(DWORD milliseconds, PumpMode mode)
{
    if (!(m_flags.load() & kRunning))
        return 0;
    return m_done.WaitPumping(milliseconds == 0 ? INFINITE : milliseconds, mode);
}

void C_Thread::ForceStop()
{
    C_Lock lock(m_state);
    if (!(m_flags.load() & kRunning))
        return;
    m_flags.store(0);
    TerminateThread(m_handle, 0);
    // Termination is asynchronous: let the thread be gone before its objects are.
    WaitForSingleObject(m_handle, kTerminateWait);
    CloseHandle(m_handle);
    m_handle = NULL;
    m_result = 0;
}
