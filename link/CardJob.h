#pragma once

#include <stddef.h>
#include <windows.h>

#include <atomic>

#include "data/Measurement.h"
#include "link/LinkOwner.h"
#include "link/SerialPort.h"

// What both card commands work on; the main window owns all of it.
struct CardJob
{
    LinkOwner owner;
    const char* portName = nullptr; // the Port setting's field, exactly as stored
    size_t portNameFieldSize = 0;
    DWORD baudOption = 0;

    RecordList* records = nullptr;
    // Written by one thread, read by the other, each as a whole word.
    std::atomic<LONG>* dataValid = nullptr;
    // Rebuilds the display from the data; may be null.
    void (*refreshDisplay)(void* context) = nullptr;
    void* context = nullptr;

    // Seam for tests: a fake line instead of the serial port.
    C_Port* port = nullptr;
};
