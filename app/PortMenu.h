#pragma once

#include <stddef.h>
#include <windows.h>

#include "sys/SerialPorts.h"
#include "ui/StringTable.h"

// The port menu's texts for the ports above com8.
enum
{
    kStringPortItem = 80,      // "Serial port com%u"
    kStringNamedPortItem = 81, // "Serial port com%u (%s)": the device's friendly name
    kStringAbsentPortItem = 82 // the stored port, not present now
};

// The command of the item for COM`number`: the fixed items for 1 to 8, IDM_PORT_EXTRA_BASE + number
// above; 0 out of range.
UINT PortItemOfNumber(unsigned number);
// The port number of any port item; 0 for every other command.
unsigned PortNumberOfItem(UINT item);

// `text` as a menu shows it literally: each '&' doubled. Cut to fit.
void MenuTextOf(char* target, size_t size, const char* text);

// Rebuilds the port menu below its eight fixed items: a separator and one item per listed port above
// com8, then the stored port when it is one above com8 that is not listed. The item of the stored
// port ("comN", exactly) is checked. Nothing is added when there is nothing to show.
void FillPortMenu(HMENU menu, const SerialPortList& ports, const char* storedPort, C_StringTable& strings,
                  WORD language);
