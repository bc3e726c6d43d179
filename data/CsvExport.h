#pragma once

#include <windows.h>

#include "data/DataFile.h"
#include "data/ValueDisplay.h"
#include "sys/Text.h"

// How a spreadsheet of the user's locale reads a comma-separated file.
struct CsvRules
{
    char separator;
    char decimal;
};

// The rules from the locale's list separator and decimal symbol (their first characters). A separator
// that is missing, equals the decimal symbol or is a quote or line break would split numbers or fields:
// ';' then stands in after a decimal comma, ',' otherwise. A missing decimal symbol is '.'.
CsvRules CsvRulesOf(const char* listSeparator, const char* decimalSymbol);
// The current user's.
CsvRules UserCsvRules();

// 1 when a text as the window shows it is a number: blanks around, a sign, digits with at most one point.
int IsNumberText(const char* text);

// The data as the window shows them: per header value its label, value and unit (the values empty where
// the window leaves them empty), an empty line, the list's column titles, then one line per shown row.
// Numbers carry the decimal symbol and no blanks; other fields are quoted when they hold the separator,
// a quote or a line break. Lines end in CR LF. 0 when memory ran out.
int BuildCsv(const DisplayContext& display, const CsvRules& rules, C_Text& csv);

// The Export command: the file dialog, then the file, which replaces the target safely.
void ExportCsvFile(const DataFileJob& job, const DisplayContext& display);
// The same after the dialog, for the chosen `name`; 1 when the file was written.
int WriteCsvFile(const DataFileJob& job, const DisplayContext& display, const CsvRules& rules,
                 const char* name);
