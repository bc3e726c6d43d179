#pragma once

#include <windows.h>

#include "data/Measurement.h"

class C_ListView;
class C_StringTable;
class C_Window;

// Where the measurement data are shown and what shows them; the main window fills one for each
// refresh, on whichever thread refreshes.
struct DisplayContext
{
    C_Window* window = nullptr; // holds the twelve value fields and their labels
    C_ListView* list = nullptr; // the measuring points
    C_StringTable* strings = nullptr;
    WORD language = 0;
    const MeasurementHeader* header = nullptr;
    const RecordList* records = nullptr;
    LONG dataValid = 0;
    DWORD simpleCubicMeter = 0;
};

// '3' when the option is 1, else the superscript three of the ANSI code page.
char CubicChar(DWORD simpleCubicMeter);

// Rebuilds columns, header fields and rows from the data. Its window messages are sent, so a worker
// may call it while the user-interface thread pumps.
void RefreshDisplay(const DisplayContext& display);
