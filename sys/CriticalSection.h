#pragma once

#include <windows.h>

// A critical section that knows whether it is initialised, so that Init and Delete may be called
// again without harm and a deleted one is never entered.
class C_CriticalSection
{
public:
    C_CriticalSection() : m_initialised(0) { Init(); }
    ~C_CriticalSection() { Delete(); }

    void Init();
    void Delete();
    void Enter();
    void Leave();

private:
    C_CriticalSection(const C_CriticalSection&) = delete;
    C_CriticalSection& operator=(const C_CriticalSection&) = delete;

    CRITICAL_SECTION m_section;
    int m_initialised;
};

// Holds a critical section for the life of a scope.
class C_Lock
{
public:
    explicit C_Lock(C_CriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~C_Lock() { m_section.Leave(); }

private:
    C_Lock(const C_Lock&) = delete;
    C_Lock& operator=(const C_Lock&) = delete;

    C_CriticalSection& m_section;
};
