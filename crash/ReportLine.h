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

// The last position at or before `position` at which a character of `text` begins in `codePage`,
// so that a cut there never leaves half of a double-byte character.
int CharBoundaryBefore(const char* text, int position, UINT codePage);

// Copies `source` into `size` bytes, cut at a character boundary when it is longer.
void CopyTextCut(char* destination, int size, const char* source, UINT codePage);

// Formats one report line into `buffer` (kReportLineSize bytes, always terminated) and returns its
// length. A line that does not fit is cut at a character boundary; when the format ends in CR LF,
// the cut line still does, so that the report keeps its line structure.
int FormatReportLineV(char* buffer, UINT codePage, const char* format, va_list args);
int FormatReportLine(char* buffer, UINT codePage, const char* format, ...);

// Formats one line in the ANSI code page and writes it with one WriteFile, without its terminator.
// Write errors are not looked at. The formats are the runtime's own (%hs, %S, %I64X), which the
// compiler's format check does not know, so the arguments' widths are the caller's care.
void WriteReportLine(HANDLE file, const char* format, ...);
