#include "app/PortMenu.h"

#include <stdio.h>

#include "res/Resource.h"

namespace
{

const UINT kFixedPortItems[8] = {IDM_PORT1, IDM_PORT2, IDM_PORT3, IDM_PORT4,
                                 IDM_PORT5, IDM_PORT6, IDM_PORT7, IDM_PORT8};

void AppendPort(HMENU menu, unsigned number, const char* friendlyName, int present, int checked,
                C_StringTable& strings, WORD language)
{
    char name[2 * kFriendlyNameSize], text[260];
    MenuTextOf(name, sizeof(name), friendlyName);
    UINT format = !present ? kStringAbsentPortItem : name[0] ? kStringNamedPortItem : kStringPortItem;
    const char* pattern = strings.LoadLocalizedString(format, NULL, language);
    if (_snprintf(text, sizeof(text), pattern, number, name) < 0)
        text[sizeof(text) - 1] = 0;
    AppendMenuA(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), PortItemOfNumber(number), text);
}

} // namespace

UINT PortItemOfNumber(unsigned number)
{
    if (number == 0 || number > kHighestPortNumber)
        return 0;
    return number <= 8 ? kFixedPortItems[number - 1] : IDM_PORT_EXTRA_BASE + number;
}

unsigned PortNumberOfItem(UINT item)
{
    for (unsigned i = 0; i < 8; i++)
        if (item == kFixedPortItems[i])
            return i + 1;
    if (item > IDM_PORT_EXTRA_BASE + 8 && item <= IDM_PORT_EXTRA_BASE + kHighestPortNumber)
        return item - IDM_PORT_EXTRA_BASE;
    return 0;
}

void MenuTextOf(char* target, size_t size, const char* text)
{
    size_t length = 0;
    for (; *text && length + 1 < size; text++)
    {
        if (*text == '&' && length + 2 >= size)
            break;
        if (*text == '&')
            target[length++] = '&';
        target[length++] = *text;
    }
    target[length] = 0;
}

void FillPortMenu(HMENU menu, const SerialPortList& ports, const char* storedPort, C_StringTable& strings,
                  WORD language)
{
    while (GetMenuItemCount(menu) > 8)
        DeleteMenu(menu, 8, MF_BYPOSITION);
    const unsigned stored = PortNumberOfText(storedPort, 0);
    int storedListed = stored <= 8, separated = 0;
    for (unsigned i = 0; i < ports.count; i++)
    {
        const SerialPortEntry& port = ports.ports[i];
        if (port.number <= 8)
            continue;
        if (!separated++)
            AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
        storedListed |= port.number == stored;
        AppendPort(menu, port.number, port.friendlyName, 1, port.number == stored, strings, language);
    }
    // The user sees where the program will talk, also while that port is unplugged.
    if (!storedListed)
    {
        if (!separated)
            AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
        AppendPort(menu, stored, "", 0, 1, strings, language);
    }
}
