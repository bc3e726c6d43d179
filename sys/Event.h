#pragma once

#include <windows.h>

// The part of WaitPumping's clock that decides: how long is left of a wait of `milliseconds` that
// began at tick `start`, now that the tick count reads `now`. Returns 0 when the time is up.
// Elapsed time is measured as now - start, so the wrap of the 32-bit tick count after 49.7 days
// does not end a wait early.
int RemainingWaitTime(DWORD start, DWORD now, DWORD milliseconds, DWORD* remaining);

// What WaitPumping dispatches: every message of the thread, or only the messages that other threads
// send to its windows, so that they are not blocked; the thread's own input, posted messages, timers
// and paints then stay queued.
enum PumpMode
{
    kPumpAll,
    kPumpSentOnly
};

// An owned event handle with a wait that keeps the thread's windows alive.
class C_Event
{
public:
    C_Event() : m_owns(0), m_handle(NULL) {}
    ~C_Event() { Close(); }

    int Create(BOOL manualReset, BOOL initialState);
    void Close();
    int Set();
    // Dispatches the calling thread's messages while it waits; INFINITE waits without limit.
    // A WM_QUIT ends the wait with 0 and is posted again for the caller's own loop.
    int WaitPumping(DWORD milliseconds, PumpMode mode = kPumpAll);
    HANDLE Handle() const { return m_handle; }

private:
    C_Event(const C_Event&) = delete;
    C_Event& operator=(const C_Event&) = delete;

    int m_owns;
    HANDLE m_handle;
};
