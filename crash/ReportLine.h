#pragma once

#include <stdarg.h>
#include <windows.h>

enum
{
    // Every line of the crash report is formatted into this many bytes and written whole.
    kReportLineSize = 520,
    // Symbol texts are kept to this many bytes, terminator included.
    kSymbolTextSize = 260
};

// Formats one report line into `buffer` (kReportLineSize bytes, always terminated) and returns its
// length. A line that does not fit is cut at a character boundary; when the format ends in CR LF,
// the cut line still does, so that the report keeps its line structure.
int FormatReportLineV(char* buffer, UINT codePage, const char* format, va_list args);
int FormatReportLine(char* buffer, UINT codePage, const char* format, ...);

// Formats one line in the ANSI code page and writes it with one WriteFile, without its terminator.
// Write errors are not looked at. The formats are the runtime's own (%hs, %S, %I64X), which the
// compiler's format check does not know, so the arguments' widths are the caller's care.
void WriteReportLine(HANDLE file, const char* format, ...);
