#pragma once

#include <stddef.h>
#include <windows.h>

#include <atomic>

#include "data/Measurement.h"
#include "link/LinkOwner.h"
#include "link/SerialPort.h"

// What the Reset command works on; the main window owns all of it.
struct EraseJob
{
    LinkOwner owner;
    const char* portName = nullptr; // the Port setting's field, exactly as stored
    size_t portNameFieldSize = 0;
    DWORD baudOption = 0;

    RecordList* records = nullptr;
    std::atomic<LONG>* dataValid = nullptr;
    // Rebuilds the display after the data were emptied; may be null.
    void (*refreshDisplay)(void* context) = nullptr;
    void* context = nullptr;

    // Seam for tests: a fake line instead of the serial port.
    C_Port* port = nullptr;
};

// Asks the user, then has the card erase itself; on the card's 'o' empties the data, refreshes the
// display and says so. Runs on the user-interface thread, which handles no messages while it waits
// (up to 35 s for the acknowledgement). 1 when the card was erased.
int EraseCard(EraseJob& job);
