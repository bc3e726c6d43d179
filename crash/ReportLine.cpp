#include "crash/ReportLine.h"
#include "sys/Text.h"

#include <stdio.h>
#include <string.h>

int FormatReportLineV(char* buffer, UINT codePage, const char* format, va_list args)
{
    // Zeroed first: a formatting error leaves the text it had reached, and nothing behind it.
    memset(buffer, 0, kReportLineSize);
    int length = _vsnprintf(buffer, kReportLineSize, format, args);
    if (length >= 0 && length < kReportLineSize)
    {
        buffer[length] = 0;
        return length;
    }
    // Cut: keep what fits, and the line end of the format if it has one.
    size_t formatLength = strlen(format);
    int keepsLineEnd = formatLength >= 2 && strcmp(format + formatLength - 2, "\r\n") == 0;
    int room = kReportLineSize - 1 - (keepsLineEnd ? 2 : 0);
    length = CharBoundaryBefore(buffer, room, codePage);
    if (keepsLineEnd)
    {
        buffer[length++] = '\r';
        buffer[length++] = '\n';
    }
    buffer[length] = 0;
    return length;
}

int FormatReportLine(char* buffer, UINT codePage, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = FormatReportLineV(buffer, codePage, format, args);
    va_end(args);
    return length;
}

void WriteReportLine(HANDLE file, const char* format, ...)
{
    char line[kReportLineSize];
    va_list args;
    va_start(args, format);
    int length = FormatReportLineV(line, CP_ACP, format, args);
    va_end(args);
    DWORD written = 0;
    WriteFile(file, line, (DWORD)length, &written, NULL);
}
