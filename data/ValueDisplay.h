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

// What the window shows, one text at a time, so that whatever else shows the data shows the same.
// Each text goes into `size` bytes, cut when longer.
const int kHeaderFieldCount = 12;
const int kPointColumnCount = 9;
// 1 when the header values are shown: valid data whose card holds an identification.
int HeaderShown(const DisplayContext& display);
// Header field `field` (0 to 11 in the window's order): its label's control and string, its value as the
// card sent it, and its unit (empty for none). The window shows the value, a blank and the unit.
int HeaderLabelControl(int field);
UINT HeaderLabelString(int field);
void HeaderValueText(const MeasurementHeader& header, int field, char* text, int size);
void HeaderUnitText(int field, char cubic, char* text, int size);
// The title of list column `column` in the display's language and cubic-metre option, and its cell of a
// record. Empty slots get no row.
void PointColumnTitle(const DisplayContext& display, int column, char* text, int size);
void PointCellText(const PointRecord& record, int column, char* text, int size);

// Rebuilds columns, header fields and rows from the data. Its window messages are sent, so a worker
// may call it while the user-interface thread pumps.
void RefreshDisplay(const DisplayContext& display);
