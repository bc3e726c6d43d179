#include "sys/SerialPorts.h"

#include <setupapi.h>
#include <string.h>

#include "sys/Library.h"
#include "sys/RegKey.h"

namespace
{

const char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// GUID_DEVCLASS_PORTS, written out so that no import library is needed for it.
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

typedef HDEVINFO(WINAPI* GetClassDevsProc)(const GUID*, PCSTR, HWND, DWORD);
typedef BOOL(WINAPI* EnumDeviceInfoProc)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
typedef BOOL(WINAPI* GetDeviceRegistryPropertyProc)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                                    PDWORD);
typedef BOOL(WINAPI* DestroyDeviceInfoListProc)(HDEVINFO);

SerialPortEntry* FindPort(SerialPortList* list, unsigned number)
{
    for (unsigned i = 0; i < list->count; i++)
        if (list->ports[i].number == number)
            return &list->ports[i];
    return NULL;
}

} // namespace

unsigned PortNumberOfText(const char* text, int anyCase)
{
    if (!text || (anyCase ? _strnicmp(text, "com", 3) : strncmp(text, "com", 3)) != 0)
        return 0;
    unsigned number = 0;
    const char* digit = text + 3;
    if (*digit == '0')
        return 0;
    for (; *digit >= '0' && *digit <= '9'; digit++)
    {
        number = number * 10 + (unsigned)(*digit - '0');
        if (number > kHighestPortNumber)
            return 0;
    }
    return *digit ? 0 : number;
}

int AddSerialPort(SerialPortList* list, unsigned number)
{
    if (number == 0 || number > kHighestPortNumber)
        return 0;
    unsigned at = 0;
    while (at < list->count && list->ports[at].number < number)
        at++;
    if (at < list->count && list->ports[at].number == number)
        return 1;
    if (list->count == kMostListedPorts)
        return 0;
    memmove(&list->ports[at + 1], &list->ports[at], (list->count - at) * sizeof(list->ports[0]));
    list->ports[at].number = number;
    list->ports[at].friendlyName[0] = 0;
    list->count++;
    return 1;
}

unsigned SplitFriendlyName(const char* friendly, char* name, size_t nameSize)
{
    if (!name || nameSize == 0)
        return 0;
    name[0] = 0;
    const char* open = friendly ? strrchr(friendly, '(') : NULL;
    if (!open || open < friendly + 2 || open[-1] != ' ')
        return 0;
    char port[16];
    size_t length = strlen(open + 1);
    if (length < 2 || length > sizeof(port) || open[length] != ')')
        return 0;
    memcpy(port, open + 1, length - 1);
    port[length - 1] = 0;
    unsigned number = PortNumberOfText(port, 1);
    if (number)
        lstrcpynA(name, friendly, (int)(nameSize < (size_t)(open - friendly) ? nameSize : open - friendly));
    return number;
}

int ReadSerialPorts(SerialPortList* list)
{
    list->count = 0;
    C_RegKey key;
    DWORD count = 0;
    if (!key.OpenRead(HKEY_LOCAL_MACHINE, kSerialCommKey) || !key.ValueCount(&count))
        return 0;
    for (DWORD i = 0; i < count; i++)
    {
        char text[16] = "";
        if (key.ReadStringAt(i, text, sizeof(text)))
            AddSerialPort(list, PortNumberOfText(text, 1));
    }
    return 1;
}

int ReadFriendlyNames(SerialPortList* list)
{
    C_Library setup;
    if (!setup.Load("setupapi.dll"))
        return 0;
    GetClassDevsProc getClassDevs = setup.Get<GetClassDevsProc>("SetupDiGetClassDevsA");
    EnumDeviceInfoProc enumDeviceInfo = setup.Get<EnumDeviceInfoProc>("SetupDiEnumDeviceInfo");
    GetDeviceRegistryPropertyProc getProperty =
        setup.Get<GetDeviceRegistryPropertyProc>("SetupDiGetDeviceRegistryPropertyA");
    DestroyDeviceInfoListProc destroyList =
        setup.Get<DestroyDeviceInfoListProc>("SetupDiDestroyDeviceInfoList");
    if (!getClassDevs || !enumDeviceInfo || !getProperty || !destroyList)
        return 0;
    HDEVINFO devices = getClassDevs(&kPortsClass, NULL, NULL, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return 0;
    int named = 0;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof(device);
    for (DWORD i = 0; enumDeviceInfo(devices, i, &device); i++)
    {
        char friendly[260], name[kFriendlyNameSize];
        if (!getProperty(devices, &device, SPDRP_FRIENDLYNAME, NULL, reinterpret_cast<BYTE*>(friendly),
                         sizeof(friendly) - 1, NULL))
            continue;
        friendly[sizeof(friendly) - 1] = 0;
        // Only a port the system lists is named: a device alone is no port to open.
        SerialPortEntry* port = FindPort(list, SplitFriendlyName(friendly, name, sizeof(name)));
        if (port && name[0])
            named++, lstrcpynA(port->friendlyName, name, sizeof(port->friendlyName));
    }
    destroyList(devices);
    return named;
}
