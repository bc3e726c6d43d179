#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

using CsvLines = std::vector<std::vector<std::string>>;

// The fields as a spreadsheet reads them: split at the separator or CR LF outside quotes; "" is a quote.
inline CsvLines ReadCsv(const std::string& csv, char separator)
{
    CsvLines lines;
    std::vector<std::string> line(1);
    bool quoted = false;
    for (size_t i = 0; i < csv.size(); i++)
        if (csv[i] == '"' && !(quoted && csv[i + 1] == '"'))
            quoted = !quoted;
        else if (!quoted && csv[i] == separator)
            line.emplace_back();
        else if (!quoted && csv[i] == '\r')
            lines.push_back(line), line.assign(1, ""), i++;
        else
            line.back() += csv[i], i += csv[i] == '"';
    return lines;
}

// What the main window's template shows as lines of fields: label, value and unit of each header value;
// an empty line; the list's titles and rows. Numbers without blanks and with the `decimal` symbol.
inline CsvLines WindowLines(HWND window, char decimal)
{
    const int kValues[] = {1010, 1011, 1012, 1014, 1019, 1022, 1023, 1024, 1017, 1016, 1020, 1021};
    const int kLabels[] = {1036, 1037, 1038, 1025, 1029, 1032, 1033, 1035, 1028, 1027, 1030, 1031};
    auto number = [d = decimal](std::string t)
    {
        if (!(t.find_first_not_of(" +-.0123456789") + 1) && t.find('.') == t.rfind('.'))
            t.erase(std::remove(t.begin(), t.end(), ' '), t.end()), std::replace(t.begin(), t.end(), '.', d);
        return t;
    };
    char text[600], label[600];
    CsvLines lines;
    for (int i = 0; i < 12; i++)
    {
        std::string value(text, GetDlgItemTextA(window, kValues[i], text, sizeof(text)));
        const size_t blank = 0xB18 >> i & 1 && !value.empty() ? value.rfind(' ') : value.size(); // a unit
        GetDlgItemTextA(window, kLabels[i], label, sizeof(label));
        lines.push_back(
            {label, number(value.substr(0, blank)), value.substr(std::min(blank + 1, value.size()))});
    }
    HWND list = GetDlgItem(window, 1009);
    LVCOLUMNA column = {LVCF_TEXT, 0, 0, text, sizeof(text), 0, 0, 0};
    LVITEMA item = {LVIF_TEXT, 0, 0, 0, 0, text, sizeof(text), 0, 0, 0, 0, 0, NULL};
    lines.push_back({""}), lines.emplace_back();
    for (int i = 0; SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column); i++)
        lines.back().push_back(text);
    for (int row = 0; row < ListView_GetItemCount(list); row++)
        for (lines.emplace_back(), item.iSubItem = 0; item.iSubItem < 9; item.iSubItem++)
            lines.back().push_back(
                number(std::string(text, SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item))));
    return lines;
}
