#include "data/ValueDisplay.h"

#include <stdio.h>

#include <commctrl.h>

#include "res/Resource.h"
#include "ui/Dialog.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

namespace
{

// One header value: where it sits in the header, how many bytes it has, its unit (a format that
// receives the cubic character), which label names it and that label's string.
struct HeaderField
{
    int control;
    int offset;
    int width;
    const char* unit;
    int label;
    UINT labelString;
};

const HeaderField kHeaderFields[kHeaderFieldCount] = {
    {IDC_UNIT_NUMBER, 2, 7, "", IDC_UNIT_NUMBER_LABEL, 35},
    {IDC_MEASURING_DAY, 20, 8, "", IDC_MEASURING_DAY_LABEL, 25},
    {IDC_MEASURING_TIME, 11, 8, "", IDC_MEASURING_TIME_LABEL, 33},
    {IDC_DENSITY, 57, 5, "kg/m%c", IDC_DENSITY_LABEL, 24},
    {IDC_HUMIDITY, 63, 4, "kg/m%c", IDC_HUMIDITY_LABEL, 28},
    {IDC_CHECK_DATE, 39, 8, "", IDC_CHECK_DATE_LABEL, 31},
    {IDC_CHECK_TIME, 30, 8, "", IDC_CHECK_TIME_LABEL, 32},
    {IDC_POINT_COUNT, 49, 2, "", IDC_POINT_COUNT_LABEL, 34},
    {IDC_POINT_TIME, 52, 4, "min", IDC_POINT_TIME_LABEL, 27},
    {IDC_NOZZLE, 68, 4, "mm", IDC_NOZZLE_LABEL, 26},
    {IDC_CORRECTION, 73, 4, "", IDC_CORRECTION_LABEL, 29},
    {IDC_ADDITIONAL_FLOW, 78, 5, "m%c/h", IDC_ADDITIONAL_FLOW_LABEL, 30},
};

// One list column: its title, the width it is created with, and the record bytes it shows.
struct PointColumn
{
    UINT title;
    int width;
    int alignment;
    int offset;
    int bytes;
};

const UINT kVolumeFlowTitle = 15; // a format that receives the cubic character
const int kTimeColumn = 1;        // keeps its given width

const PointColumn kPointColumns[kPointColumnCount] = {
    {11, 70, LVCFMT_LEFT, 2, 2},    {40, 60, LVCFMT_RIGHT, 8, 8},  {12, 70, LVCFMT_RIGHT, 5, 2},
    {13, 60, LVCFMT_RIGHT, 17, 5},  {22, 90, LVCFMT_RIGHT, 23, 3}, {14, 100, LVCFMT_RIGHT, 27, 5},
    {15, 120, LVCFMT_RIGHT, 33, 5}, {16, 80, LVCFMT_RIGHT, 39, 4}, {17, 90, LVCFMT_RIGHT, 44, 4},
};

// The first `width` bytes of a field, fewer when a NUL comes first.
void FieldText(const char* field, int width, char* text, int size)
{
    const int written = _snprintf(text, size - 1, "%.*s", width, field);
    text[written < 0 ? size - 1 : written] = 0;
}

void BuildColumns(const DisplayContext& display)
{
    C_ListView& list = *display.list;
    list.SetRedraw(0);
    list.DeleteAllItems(0);
    list.DeleteAllColumns();
    for (int i = 0; i < kPointColumnCount; i++)
    {
        char title[C_StringTable::kBufferSize];
        PointColumnTitle(display, i, title, sizeof(title));
        list.InsertColumn(title, i, kPointColumns[i].width, kPointColumns[i].alignment,
                          C_ListView::kKeepWidth);
    }
    // The list is empty here: the widths follow the titles, and the last column fills the rest.
    for (int i = 0; i < kPointColumnCount; i++)
        if (i != kTimeColumn)
            list.SetColumnWidth(i, LVSCW_AUTOSIZE_USEHEADER);
    list.SetRedraw(1);
}

void ShowHeader(const DisplayContext& display)
{
    if (!display.window)
        return;
    const int shown = HeaderShown(display);
    const char cubic = CubicChar(display.simpleCubicMeter);
    for (int i = 0; i < kHeaderFieldCount; i++)
    {
        char text[100] = "", unit[20];
        if (shown)
        {
            HeaderValueText(*display.header, i, text, sizeof(text));
            HeaderUnitText(i, cubic, unit, sizeof(unit));
            if (unit[0])
                lstrcatA(lstrcatA(text, " "), unit);
        }
        display.window->SetItemText(kHeaderFields[i].control, text);
    }
    for (const HeaderField& field : kHeaderFields)
        EnableWindow(display.window->GetItem(field.label), shown);
}

// The row's index, or `position` unchanged when no row was added; a later position at or beyond the
// row count appends.
int AddPointRow(C_ListView& list, const PointRecord& record, int position)
{
    if (IsEmptySlot(record))
        return position;
    char text[100];
    PointCellText(record, 0, text, sizeof(text));
    const int row = list.InsertItem(text, 0, 0, position);
    // -1 would make the next row the first one.
    if (row < 0)
        return position;
    for (int i = 1; i < kPointColumnCount; i++)
    {
        PointCellText(record, i, text, sizeof(text));
        list.SetCellText(text, i, row);
    }
    return row;
}

} // namespace

int HeaderShown(const DisplayContext& display)
{
    // A '-' where the unit number begins: the card holds no identification.
    return display.dataValid && display.header && display.header->bytes[2] != '-';
}

int HeaderLabelControl(int field)
{
    return kHeaderFields[field].label;
}

UINT HeaderLabelString(int field)
{
    return kHeaderFields[field].labelString;
}

void HeaderValueText(const MeasurementHeader& header, int field, char* text, int size)
{
    FieldText(header.bytes + kHeaderFields[field].offset, kHeaderFields[field].width, text, size);
}

void HeaderUnitText(int field, char cubic, char* text, int size)
{
    const int written = _snprintf(text, size - 1, kHeaderFields[field].unit, cubic);
    text[written < 0 ? size - 1 : written] = 0;
}

void PointColumnTitle(const DisplayContext& display, int column, char* text, int size)
{
    // A buffer of our own: the worker refreshes while the user-interface thread may use the table's
    // shared one.
    char loaded[C_StringTable::kBufferSize] = "";
    if (display.strings)
        display.strings->LoadLocalizedString(kPointColumns[column].title, loaded, display.language);
    if (kPointColumns[column].title != kVolumeFlowTitle)
    {
        lstrcpynA(text, loaded, size);
        return;
    }
    char title[200]; // the room the title format has been given
    const int written = _snprintf(title, sizeof(title) - 1, loaded, CubicChar(display.simpleCubicMeter));
    title[written < 0 ? sizeof(title) - 1 : written] = 0;
    lstrcpynA(text, title, size);
}

void PointCellText(const PointRecord& record, int column, char* text, int size)
{
    FieldText(record.bytes + kPointColumns[column].offset, kPointColumns[column].bytes, text, size);
}

char CubicChar(DWORD simpleCubicMeter)
{
    return simpleCubicMeter == 1 ? '3' : '\xB3';
}

void RefreshDisplay(const DisplayContext& display)
{
    if (!display.list)
        return;
    display.list->SetRedraw(0);
    BuildColumns(display);
    ShowHeader(display);
    if (display.dataValid && display.records)
    {
        int position = 1;
        for (const RecordNode* node = display.records->First(); node; node = node->next)
            position = AddPointRow(*display.list, node->record, position) + 1;
    }
    display.list->SetRedraw(1);
}
