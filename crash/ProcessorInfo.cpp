#include "crash/ProcessorInfo.h"

#include <stdio.h>
#include <string.h>

#include "sys/OsClass.h"
#include "sys/RegKey.h"
#include "sys/Text.h"

#ifndef HKEY_DYN_DATA
#define HKEY_DYN_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000006))
#endif

namespace
{

// Texts are read into 260 bytes: a longer value does not fit and counts as unreadable.
const DWORD kValueSize = 260;

void ReadText(C_RegKey& key, const char* name, C_Text& text)
{
    if (text.Capacity() < (int)kValueSize && !text.Reserve(kValueSize))
        return;
    if (key.ReadString(name, text.GetString(), kValueSize))
        text.SyncLength();
}

} // namespace

C_ProcessorInfo::C_ProcessorInfo() : m_isNt((GetOsClass() & OS_NT) ? 1 : 0), m_querySystemInformation(NULL)
{
    if (m_isNt && m_ntdll.Load("ntdll.dll"))
        m_querySystemInformation = m_ntdll.Get<NtQuerySystemInformationFunction>("NtQuerySystemInformation");
}

C_ProcessorInfo::~C_ProcessorInfo()
{
    if (m_isNt)
    {
        m_querySystemInformation = NULL;
        m_ntdll.Free();
        return;
    }
    // The 9x family starts its processor statistics when they are read and stops them here.
    C_RegKey key;
    if (key.OpenRead(HKEY_DYN_DATA, "PerfStats\\StopStat"))
    {
        DWORD usage = 0;
        DWORD size = sizeof(usage);
        key.ReadRaw("KERNEL\\CPUUsage", &usage, &size);
        key.CloseKey();
    }
}

int C_ProcessorInfo::GetProcessor(unsigned index, C_Text& name, C_Text& vendor, C_Text& identifier,
                                  DWORD& mhz)
{
    char path[64];
    _snprintf(path, sizeof(path) - 1, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%u", index);
    path[sizeof(path) - 1] = 0;
    C_RegKey key;
    if (!key.OpenRead(HKEY_LOCAL_MACHINE, path))
        return 0;

    ReadText(key, m_isNt ? "ProcessorNameString" : "Identifier", name);
    ReadText(key, "VendorIdentifier", vendor);
    if (m_isNt)
        ReadText(key, "Identifier", identifier);
    key.ReadDword("~MHz", &mhz);

    if (m_querySystemInformation)
    {
        DWORD speed[4];
        memset(speed, 0, sizeof(speed));
        if (m_querySystemInformation(43, speed, sizeof(speed), NULL) == 0 && speed[1] != 0)
            mhz = speed[1] / 1000000;
    }
    key.CloseKey();
    return 1;
}
