#include "crash/OsDescription.h"

#include <stdio.h>
#include <string.h>

#include "sys/Library.h"
#include "sys/OsClass.h"
#include "sys/RegKey.h"

#ifndef SM_TABLETPC
#define SM_TABLETPC 86
#endif
#ifndef SM_MEDIACENTER
#define SM_MEDIACENTER 87
#endif
#ifndef SM_STARTER
#define SM_STARTER 88
#endif
#ifndef SM_SERVERR2
#define SM_SERVERR2 89
#endif
#ifndef SM_REMOTESESSION
#define SM_REMOTESESSION 0x1000
#endif

int C_SystemOsProbe::KeyExists(const char* path)
{
    C_RegKey key;
    return key.OpenRead(HKEY_LOCAL_MACHINE, path);
}

int C_SystemOsProbe::ReadText(const char* path, const char* name, char* buffer, DWORD capacity)
{
    C_RegKey key;
    return key.OpenRead(HKEY_LOCAL_MACHINE, path) && key.ReadString(name, buffer, capacity);
}

int C_SystemOsProbe::GetMetric(int index)
{
    return GetSystemMetrics(index);
}

DWORD ComputeOsFlags(DWORD osClass, C_OsProbe& probe)
{
    DWORD flags = osClass;
    if (!(flags & OS_NT))
        return flags;

    char text[260] = "";
    if (probe.ReadText("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", text,
                       sizeof(text)))
    {
        if (_stricmp(text, "WinNT") == 0)
            flags |= OS_WORKSTATION;
        else if (_stricmp(text, "ServerNT") == 0)
            flags |= OS_SERVER;
        else if (_stricmp(text, "LanmanNT") == 0)
            flags |= OS_ADVANCED_SERVER;
    }
    if (probe.KeyExists("SYSTEM\\CurrentControlSet\\Control\\MiniNT"))
        flags |= OS_MINI_NT;
    if (probe.KeyExists("SYSTEM\\CurrentControlSet\\Control\\PE Builder"))
        flags |= OS_PE_BUILDER;

    static const struct
    {
        int metric;
        DWORD flag;
    } kMetrics[] = {{SM_TABLETPC, OS_TABLET_PC},
                    {SM_MEDIACENTER, OS_MEDIA_CENTER},
                    {SM_REMOTESESSION, OS_REMOTE_SESSION},
                    {SM_STARTER, OS_STARTER},
                    {SM_SERVERR2, OS_SERVER_R2}};
    for (const auto& entry : kMetrics)
        if (probe.GetMetric(entry.metric))
            flags |= entry.flag;

    char ident[260] = "";
    if (probe.ReadText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Media Center", "Ident", ident,
                       sizeof(ident)))
    {
        unsigned major = 0, minor = 0;
        sscanf(ident, "%u.%u", &major, &minor);
        switch (major)
        {
        case 2:
            flags |= OS_MEDIA_CENTER_2;
            break;
        case 3:
            flags |= OS_MEDIA_CENTER_3;
            break;
        case 4:
            flags |= OS_MEDIA_CENTER_4;
            break;
        case 5:
            flags |= OS_MEDIA_CENTER_5;
            break;
        default:
            break;
        }
    }
    return flags;
}

DWORD GetOsFlags()
{
    C_SystemOsProbe probe;
    return ComputeOsFlags(GetOsClass(), probe);
}

namespace
{

struct FlagName
{
    DWORD flag;
    const char* name;
};

// The first entry whose flag is set, or null.
const char* FirstNamed(DWORD flags, const FlagName* table, int count)
{
    for (int i = 0; i < count; i++)
        if (flags & table[i].flag)
            return table[i].name;
    return NULL;
}

// Appends within kOsNameSize bytes, never beyond them.
void AppendName(char* buffer, const char* text)
{
    size_t used = strlen(buffer);
    size_t room = kOsNameSize - 1 - used;
    size_t count = strlen(text);
    if (count > room)
        count = room;
    memcpy(buffer + used, text, count);
    buffer[used + count] = 0;
}

const char* FormatUnknown(char* buffer, const char* format, DWORD flags)
{
    _snprintf(buffer, kOsNameSize - 1, format, (unsigned)flags);
    buffer[kOsNameSize - 1] = 0;
    return buffer;
}

} // namespace

#define COUNT_OF(table) ((int)(sizeof(table) / sizeof((table)[0])))

const char* GetOsName(char* buffer, DWORD flags)
{
    if (flags & OS_NT)
    {
        static const FlagName kBases[] = {{OS_NT4, "Windows NT4"},
                                          {OS_2000, "Windows 2000"},
                                          {OS_XP, "Windows XP"},
                                          {OS_2003, "Windows Server 2003"},
                                          {OS_VISTA, "Windows Vista"}};
        const char* base = FirstNamed(flags, kBases, COUNT_OF(kBases));
        if (!base)
            return FormatUnknown(buffer, "unknown nt kernel 0x%X", flags);

        static const FlagName kProduct[] = {{OS_WORKSTATION, " [Workstation]"},
                                            {OS_SERVER, " [Server]"},
                                            {OS_ADVANCED_SERVER, " [Advanced Server]"}};
        static const FlagName kBoot[] = {{OS_PE_BUILDER, " [PE Builder]"}, {OS_MINI_NT, " [MiniNT]"}};
        static const FlagName kTablet[] = {{OS_TABLET_PC, " [TabletPC]"}};
        static const FlagName kMedia[] = {{OS_MEDIA_CENTER_2, " [MediaCenter 2004]"},
                                          {OS_MEDIA_CENTER_3, " [MediaCenter 2005]"},
                                          {OS_MEDIA_CENTER_4, " [MediaCenter 2005 Ex]"},
                                          {OS_MEDIA_CENTER_5, " [MediaCenter Vista]"},
                                          {OS_MEDIA_CENTER, " [MediaCenter]"}};
        static const FlagName kSession[] = {{OS_REMOTE_SESSION, " [TerminalSession]"}};
        static const struct
        {
            const FlagName* table;
            int count;
        } kGroups[] = {{kProduct, COUNT_OF(kProduct)},
                       {kBoot, COUNT_OF(kBoot)},
                       {kTablet, COUNT_OF(kTablet)},
                       {kMedia, COUNT_OF(kMedia)},
                       {kSession, COUNT_OF(kSession)}};

        buffer[0] = 0;
        AppendName(buffer, base);
        for (const auto& group : kGroups)
        {
            const char* tag = FirstNamed(flags, group.table, group.count);
            if (tag)
                AppendName(buffer, tag);
        }
        return buffer;
    }
    if (flags & OS_9X)
    {
        static const FlagName k9x[] = {{OS_95, "Windows 95"},
                                       {OS_95_OSR2, "Windows 95 OSR2"},
                                       {OS_98, "Windows 98"},
                                       {OS_98_SE, "Windows 98 SE"},
                                       {OS_ME, "Windows ME"}};
        const char* name = FirstNamed(flags, k9x, COUNT_OF(k9x));
        return name ? name : FormatUnknown(buffer, "unknown dos kernel 0x%X", flags);
    }
    if (flags & OS_WIN32S)
        return "Windows 3.1";
    return FormatUnknown(buffer, "unknown 0x%X", flags);
}

int IsWow64With(IsWow64ProcessFunction isWow64Process, HANDLE process)
{
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(process, &wow64) && wow64 ? 1 : 0;
}

int IsWow64()
{
    C_Library kernel;
    kernel.Load("kernel32.dll");
    return IsWow64With(kernel.Get<IsWow64ProcessFunction>("IsWow64Process"), GetCurrentProcess());
}
