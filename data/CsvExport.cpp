#include "data/CsvExport.h"

#include <string.h>

#include "ui/StringTable.h"

namespace
{

enum CsvString
{
    kStringNoData = 6,
    kStringCantWrite = 8, // with 1: the text could not be made
    kStringFilter = 48
};

int IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One field, with the separator before it unless it begins the line.
int AppendField(C_Text& csv, const char* field, const CsvRules& rules, int first)
{
    char separator[2] = {rules.separator, 0};
    if (!first && !csv.Append(separator))
        return 0;
    char text[2 * C_StringTable::kBufferSize + 3];
    int length = 0;
    if (IsNumberText(field))
    {
        for (const char* c = field; *c; c++)
            if (*c != ' ')
                text[length++] = *c == '.' ? rules.decimal : *c;
    }
    else if (strpbrk(field, "\"\r\n") || strchr(field, rules.separator))
    {
        text[length++] = '"';
        for (const char* c = field; *c && length < (int)sizeof(text) - 3; c++)
        {
            if (*c == '"')
                text[length++] = '"';
            text[length++] = *c;
        }
        text[length++] = '"';
    }
    else
        length = lstrlenA(lstrcpynA(text, field, sizeof(text)));
    text[length] = 0;
    return csv.Append(text);
}

int EndLine(C_Text& csv)
{
    return csv.Append("\r\n");
}

int AppendHeader(const DisplayContext& display, const CsvRules& rules, C_Text& csv)
{
    const int shown = HeaderShown(display);
    const char cubic = CubicChar(display.simpleCubicMeter);
    for (int i = 0; i < kHeaderFieldCount; i++)
    {
        char label[C_StringTable::kBufferSize] = "", value[100] = "", unit[20] = "";
        if (display.strings)
            display.strings->LoadLocalizedString(HeaderLabelString(i), label, display.language);
        if (shown)
        {
            HeaderValueText(*display.header, i, value, sizeof(value));
            HeaderUnitText(i, cubic, unit, sizeof(unit));
        }
        if (!AppendField(csv, label, rules, 1) || !AppendField(csv, value, rules, 0) ||
            !AppendField(csv, unit, rules, 0) || !EndLine(csv))
            return 0;
    }
    return 1;
}

int AppendPoints(const DisplayContext& display, const CsvRules& rules, C_Text& csv)
{
    char text[C_StringTable::kBufferSize];
    for (int i = 0; i < kPointColumnCount; i++)
        if (PointColumnTitle(display, i, text, sizeof(text)), !AppendField(csv, text, rules, i == 0))
            return 0;
    if (!EndLine(csv))
        return 0;
    if (!display.dataValid || !display.records)
        return 1;
    for (const RecordNode* node = display.records->First(); node; node = node->next)
    {
        if (IsEmptySlot(node->record))
            continue;
        for (int i = 0; i < kPointColumnCount; i++)
            if (PointCellText(node->record, i, text, sizeof(text)), !AppendField(csv, text, rules, i == 0))
                return 0;
        if (!EndLine(csv))
            return 0;
    }
    return 1;
}

int WriteText(C_File& file, void* content, UINT* failed)
{
    const C_Text& csv = *static_cast<const C_Text*>(content);
    *failed = 1;
    return file.Write(csv.Length(), csv.c_str());
}

} // namespace

CsvRules CsvRulesOf(const char* listSeparator, const char* decimalSymbol)
{
    CsvRules rules = {listSeparator[0], decimalSymbol[0] ? decimalSymbol[0] : '.'};
    if (!rules.separator || rules.separator == rules.decimal || strchr("\"\r\n", rules.separator))
        rules.separator = rules.decimal == ',' ? ';' : ',';
    return rules;
}

CsvRules UserCsvRules()
{
    char separator[4] = "", decimal[4] = "";
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, sizeof(separator)))
        separator[0] = 0;
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof(decimal)))
        decimal[0] = 0;
    return CsvRulesOf(separator, decimal);
}

int IsNumberText(const char* text)
{
    while (*text == ' ')
        text++;
    if (*text == '+' || *text == '-')
        text++;
    int digits = 0, points = 0;
    for (; IsDigit(*text) || *text == '.'; text++)
        IsDigit(*text) ? digits++ : points++;
    while (*text == ' ')
        text++;
    return digits > 0 && points <= 1 && *text == 0;
}

int BuildCsv(const DisplayContext& display, const CsvRules& rules, C_Text& csv)
{
    csv.Assign("");
    return AppendHeader(display, rules, csv) && EndLine(csv) && AppendPoints(display, rules, csv);
}

int WriteCsvFile(const DataFileJob& job, const DisplayContext& display, const CsvRules& rules,
                 const char* name)
{
    C_Text csv(4096);
    if (!BuildCsv(display, rules, csv))
    {
        ShowStringMessage(job.owner, 0, kStringCantWrite, 1u);
        return 0;
    }
    return ReplaceFileSafely(job.owner, *job.file, name, WriteText, &csv);
}

void ExportCsvFile(const DataFileJob& job, const DisplayContext& display)
{
    if (!job.dataValid->load())
    {
        ShowStringMessage(job.owner, 0, kStringNoData);
        return;
    }
    char name[MAX_PATH];
    if (AskDataFileName(job.owner, 1, kStringFilter, "data.csv", name))
        WriteCsvFile(job, display, UserCsvRules(), name);
}
