#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "Resource.h"
#include "data/DataFile.h"
#include "data/ValueDisplay.h"
#include "support/TestDialog.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

// The bytes of a literal, NULs inside it included.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// Filler '_' around every field, so that a field read from a wrong place or cut to a wrong width shows.
const std::string kHeader =
    Bytes("__\xC4\xB3\xF6\xDF"
          "456__11:22:33_01.0\0.03__04:05:06_07.08.09__12_0003_1.293_0.01_06.0_0.98_001.5");
const std::string kRecord = "\r 01;23;12:34:56;01234;567 89012;34567;8901;2345";

// The main window's template with its list attached, its data, and a file job on them; no main window.
struct C_DataRig
{
    C_TestDialog dialog;
    C_ListView list;
    C_StringTable strings{GetModuleHandleA(NULL)};
    MeasurementHeader header = {};
    RecordList records;
    std::atomic<LONG> dataValid{0};
    DisplayContext display;
    C_File file;
    DataFileJob job;
    int refreshes = 0;

    C_DataRig()
    {
        records.Init();
        dialog.Open(IDD_MAIN);
        list.Attach(dialog.Item(IDC_POINT_LIST), GetModuleHandleA(NULL));
        display = {&dialog, &list, &strings, 1033, &header, &records, 0, 0};
        job.owner = {&dialog, &strings, 1033};
        job.file = &file, job.header = &header, job.records = &records, job.dataValid = &dataValid;
        job.refreshDisplay = [](void* rig) { static_cast<C_DataRig*>(rig)->Refresh(); };
        job.context = this;
    }
    ~C_DataRig() { ClearRecords(records); }
    void Refresh() { display.dataValid = dataValid, refreshes++, RefreshDisplay(display); }
    void Fill(const std::string& bytes, std::vector<std::string> points, LONG valid)
    {
        memcpy(header.bytes, bytes.data(), sizeof(header.bytes));
        for (const std::string& point : points)
        {
            RecordNode* node = NewRecordNode();
            memcpy(node->record.bytes,
                   (kRecord.substr(0, 2) + point + kRecord.substr(2 + point.size())).data(), 48);
            records.Append(node);
        }
        dataValid = valid;
    }
    std::string Points() const // bytes 2-3 of each record in the list
    {
        std::string points;
        for (const RecordNode* node = records.First(); node; node = node->next)
            points += std::string(node->record.bytes + 2, 2) + " ";
        return points;
    }
    std::string Text(int control) const
    {
        char text[300] = "";
        GetDlgItemTextA(dialog.Handle(), control, text, sizeof(text));
        return text;
    }
    std::vector<std::string> Rows() const // the cells of each row, joined by '|'
    {
        std::vector<std::string> rows;
        HWND view = dialog.Item(IDC_POINT_LIST);
        for (int row = 0; row < (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0); row++)
        {
            rows.push_back("");
            for (int column = 0; column < 9; column++)
            {
                char text[100] = "";
                LVITEMA item = {};
                item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof(text);
                SendMessageA(view, LVM_GETITEMTEXTA, row, (LPARAM)&item);
                rows.back() += (column ? "|" : "") + std::string(text);
            }
        }
        return rows;
    }
};
