#include "sys/CriticalSection.h"

void C_CriticalSection::Init()
{
    if (m_initialised)
        return;
    m_initialised = 1;
    InitializeCriticalSection(&m_section);
}

void C_CriticalSection::Delete()
{
    if (!m_initialised)
        return;
    m_initialised = 0;
    DeleteCriticalSection(&m_section);
}

void C_CriticalSection::Enter()
{
    if (m_initialised)
        EnterCriticalSection(&m_section);
}

void C_CriticalSection::Leave()
{
    if (m_initialised)
        LeaveCriticalSection(&m_section);
}
