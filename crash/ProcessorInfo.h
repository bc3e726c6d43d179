#pragma once

#include <windows.h>

#include "sys/Library.h"

class C_Text;

typedef LONG(WINAPI* NtQuerySystemInformationFunction)(ULONG informationClass, PVOID buffer, ULONG length,
                                                       PULONG returnLength);

// Name, vendor, identifier and clock of each processor, as the registry describes them.
class C_ProcessorInfo
{
public:
    C_ProcessorInfo();
    ~C_ProcessorInfo();

    // 1 and the processor's values when processor `index` exists; 0 ends the enumeration. A value
    // that cannot be read leaves its text (or the clock) as it was, from the processor before.
    int GetProcessor(unsigned index, C_Text& name, C_Text& vendor, C_Text& identifier, DWORD& mhz);

private:
    C_ProcessorInfo(const C_ProcessorInfo&) = delete;
    C_ProcessorInfo& operator=(const C_ProcessorInfo&) = delete;

    int m_isNt;
    C_Library m_ntdll;
    NtQuerySystemInformationFunction m_querySystemInformation;
};
