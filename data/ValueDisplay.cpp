#include "data/ValueDisplay.h"

#include <stdio.h>

#include <commctrl.h>

#include "res/Resource.h"
#include "ui/Dialog.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

namespace
{

// One header value: where it sits in the header, how it is shown and which label names it. Every
// format receives the field's first byte and the cubic character, which most of them ignore.
struct HeaderField
{
    int control;
    int offset;
    const char* format;
    int label;
};

const HeaderField kHeaderFields[] = {
    {IDC_UNIT_NUMBER, 2, "%.7s", IDC_UNIT_NUMBER_LABEL},
    {IDC_MEASURING_DAY, 20, "%.8s", IDC_MEASURING_DAY_LABEL},
    {IDC_MEASURING_TIME, 11, "%.8s", IDC_MEASURING_TIME_LABEL},
    {IDC_DENSITY, 57, "%.5s kg/m%c", IDC_DENSITY_LABEL},
    {IDC_HUMIDITY, 63, "%.4s kg/m%c", IDC_HUMIDITY_LABEL},
    {IDC_CHECK_DATE, 39, "%.8s", IDC_CHECK_DATE_LABEL},
    {IDC_CHECK_TIME, 30, "%.8s", IDC_CHECK_TIME_LABEL},
    {IDC_POINT_COUNT, 49, "%.2s", IDC_POINT_COUNT_LABEL},
    {IDC_POINT_TIME, 52, "%.4s min", IDC_POINT_TIME_LABEL},
    {IDC_NOZZLE, 68, "%.4s mm", IDC_NOZZLE_LABEL},
    {IDC_CORRECTION, 73, "%.4s", IDC_CORRECTION_LABEL},
    {IDC_ADDITIONAL_FLOW, 78, "%.5s m%c/h", IDC_ADDITIONAL_FLOW_LABEL},
};

// One list column: its title, the width it is created with, and the record bytes it shows.
struct PointColumn
{
    UINT title;
    int width;
    int alignment;
    int offset;
    const char* format;
};

const UINT kVolumeFlowTitle = 15; // a format that receives the cubic character
const int kTimeColumn = 1;        // keeps its given width

const PointColumn kPointColumns[] = {
    {11, 70, LVCFMT_LEFT, 2, "%.2s"},    {40, 60, LVCFMT_RIGHT, 8, "%.8s"},
    {12, 70, LVCFMT_RIGHT, 5, "%.2s"},   {13, 60, LVCFMT_RIGHT, 17, "%.5s"},
    {22, 90, LVCFMT_RIGHT, 23, "%.3s"},  {14, 100, LVCFMT_RIGHT, 27, "%.5s"},
    {15, 120, LVCFMT_RIGHT, 33, "%.5s"}, {16, 80, LVCFMT_RIGHT, 39, "%.4s"},
    {17, 90, LVCFMT_RIGHT, 44, "%.4s"},
};

const int kColumnCount = sizeof(kPointColumns) / sizeof(kPointColumns[0]);

// printf into `size` bytes, cut and terminated when the text is longer.
void Format(char* buffer, int size, const char* format, const char* field, char cubic)
{
    const int written = _snprintf(buffer, size - 1, format, field, cubic);
    buffer[written < 0 ? size - 1 : written] = 0;
}

void BuildColumns(const DisplayContext& display)
{
    C_ListView& list = *display.list;
    list.SetRedraw(0);
    list.DeleteAllItems(0);
    list.DeleteAllColumns();
    const char cubic = CubicChar(display.simpleCubicMeter);
    for (int i = 0; i < kColumnCount; i++)
    {
        const PointColumn& column = kPointColumns[i];
        // A buffer of our own: the worker refreshes while the user-interface thread may use the
        // table's shared one.
        char text[C_StringTable::kBufferSize];
        char title[200];
        const char* loaded =
            display.strings ? display.strings->LoadLocalizedString(column.title, text, display.language) : "";
        if (column.title == kVolumeFlowTitle)
        {
            const int written = _snprintf(title, sizeof(title) - 1, loaded, cubic);
            title[written < 0 ? sizeof(title) - 1 : written] = 0;
            loaded = title;
        }
        list.InsertColumn(loaded, i, column.width, column.alignment, C_ListView::kKeepWidth);
    }
    // The list is empty here: the widths follow the titles, and the last column fills the rest.
    for (int i = 0; i < kColumnCount; i++)
        if (i != kTimeColumn)
            list.SetColumnWidth(i, LVSCW_AUTOSIZE_USEHEADER);
    list.SetRedraw(1);
}

void ShowHeader(const DisplayContext& display)
{
    if (!display.window)
        return;
    // A '-' where the unit number begins: the card holds no identification.
    const int shown = display.dataValid && display.header && display.header->bytes[2] != '-';
    const char cubic = CubicChar(display.simpleCubicMeter);
    for (const HeaderField& field : kHeaderFields)
    {
        char text[100] = "";
        if (shown)
            Format(text, sizeof(text), field.format, display.header->bytes + field.offset, cubic);
        display.window->SetItemText(field.control, text);
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
    Format(text, sizeof(text), kPointColumns[0].format, record.bytes + kPointColumns[0].offset, 0);
    const int row = list.InsertItem(text, 0, 0, position);
    // -1 would make the next row the first one.
    if (row < 0)
        return position;
    for (int i = 1; i < kColumnCount; i++)
    {
        Format(text, sizeof(text), kPointColumns[i].format, record.bytes + kPointColumns[i].offset, 0);
        list.SetCellText(text, i, row);
    }
    return row;
}

} // namespace

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
