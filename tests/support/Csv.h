#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

using CsvLines = std::vector<std::vector<std::string>>;

// The fields as a spreadsheet reads them: split at the separator outside quotes, "" inside them one
// quote; an unquoted number gets its decimal point back.
inline CsvLines ReadCsv(const std::string& csv, char separator, char decimal)
{
    CsvLines lines;
    std::vector<std::string> line(1);
    bool quoted = false, wasQuoted = false;
    auto end = [&]()
    {
        std::string& field = line.back();
        if (!wasQuoted && field.find_first_not_of(std::string("+-0123456789") + decimal) == std::string::npos)
            std::replace(field.begin(), field.end(), decimal, '.');
        wasQuoted = false;
    };
    for (size_t i = 0; i < csv.size(); i++)
        if (csv[i] == '"' && quoted && i + 1 < csv.size() && csv[i + 1] == '"')
            line.back() += csv[i++];
        else if (csv[i] == '"')
            quoted = !quoted, wasQuoted = true;
        else if (!quoted && csv[i] == separator)
            end(), line.emplace_back();
        else if (!quoted && csv.compare(i, 2, "\r\n") == 0)
            end(), lines.push_back(line), line.assign(1, ""), i++;
        else
            line.back() += csv[i];
    return lines;
}

// What the main window's template shows, as lines of fields: label (with `labels`, else empty), value
// and unit of each header value; an empty line; the list's titles and rows. Numbers without blanks.
inline CsvLines WindowLines(HWND window, bool labels)
{
    const int kValues[] = {1010, 1011, 1012, 1014, 1019, 1022, 1023, 1024, 1017, 1016, 1020, 1021};
    const int kLabels[] = {1036, 1037, 1038, 1025, 1029, 1032, 1033, 1035, 1028, 1027, 1030, 1031};
    const unsigned kWithUnit = 0xB18; // the values 3, 4, 8, 9 and 11
    auto number = [](std::string text)
    {
        if (text.find_first_not_of(" +-.0123456789") == std::string::npos)
            text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        return text;
    };
    char text[600], label[600] = "";
    CsvLines lines;
    for (int i = 0; i < 12; i++)
    {
        std::string value(text, GetDlgItemTextA(window, kValues[i], text, sizeof(text)));
        const size_t blank = kWithUnit >> i & 1 && !value.empty() ? value.rfind(' ') : value.size();
        labels&& GetDlgItemTextA(window, kLabels[i], label, sizeof(label));
        lines.push_back(
            {label, number(value.substr(0, blank)), value.substr(std::min(blank + 1, value.size()))});
    }
    HWND list = GetDlgItem(window, 1009);
    LVCOLUMNA column = {LVCF_TEXT, 0, 0, text, sizeof(text), 0, 0, 0};
    lines.push_back({""}), lines.emplace_back();
    for (int i = 0; SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column); i++)
        lines.back().push_back(text);
    LVITEMA item = {LVIF_TEXT, 0, 0, 0, 0, text, sizeof(text), 0, 0, 0, 0, 0, NULL};
    for (int row = 0; row < ListView_GetItemCount(list); row++)
    {
        lines.emplace_back();
        for (item.iSubItem = 0; item.iSubItem < 9; item.iSubItem++)
            lines.back().push_back(
                number(std::string(text, SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item))));
    }
    return lines;
}
