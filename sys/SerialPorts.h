#pragma once

#include <stddef.h>
#include <windows.h>

enum
{
    // COM4096 is the highest number the system's port arbitration hands out.
    kHighestPortNumber = 4096,
    kMostListedPorts = 256,
    kFriendlyNameSize = 64
};

// One serial port the machine has: COM`number`, with the device's name where the system gives one.
struct SerialPortEntry
{
    unsigned number;
    char friendlyName[kFriendlyNameSize]; // empty when none
};

// The serial ports present, in ascending order, each once.
struct SerialPortList
{
    unsigned count;
    SerialPortEntry ports[kMostListedPorts];
};

// 12 for "com12": "com", then a number from 1 to kHighestPortNumber without leading zeros, and
// nothing after it. `anyCase` 0 wants "com" in lower case, as the program stores it; 0 for anything else.
unsigned PortNumberOfText(const char* text, int anyCase);

// Inserts `number` in order; 1 when it is listed afterwards, 0 when it is out of range or the list is full.
int AddSerialPort(SerialPortList* list, unsigned number);

// The port of a device's friendly name that ends in " (COMn)", with the name before that copied to
// `name` (cut to fit); 0, and `name` empty, for a name of any other form.
unsigned SplitFriendlyName(const char* friendly, char* name, size_t nameSize);

// The list of the system's serial ports (HARDWARE\DEVICEMAP\SERIALCOMM), read afresh; values that
// name no COM port are left out. 0 when the key cannot be read: no port is listed then.
int ReadSerialPorts(SerialPortList* list);

// Gives the listed ports the friendly names of the ports device class. SetupAPI is loaded only for
// this; without it, or without a name, the entries stay as they are. Returns how many were named.
int ReadFriendlyNames(SerialPortList* list);
