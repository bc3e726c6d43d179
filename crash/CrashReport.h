#pragma once

#include <windows.h>
#include <dbghelp.h>

#include "crash/DebugHelp.h"
#include "crash/DumpRecords.h"

// The name of an exception code in the report; "Exception" for a code it does not know.
const char* GetExceptionName(DWORD code);

// The sections of the text report, each written line by line (CR LF, ANSI) into `file`.
// The exception line, and for an access violation the location line.
void WriteExceptionLines(HANDLE file, const EXCEPTION_RECORD& record, DWORD threadId, int isNt);
// An empty line and the four register lines.
void WriteRegisterLines(HANDLE file, const CONTEXT& context);
// A processor line: it begins a new line and leaves its end to whatever follows.
void WriteProcessorLine(HANDLE file, const char* name, const char* vendor, const char* identifier, DWORD mhz);
// The operating-system line; it also ends the processor lines before it.
void WriteOsLine(HANDLE file, const char* osName, const OSVERSIONINFOA& version, int isNt);
void WriteArchitectureLine(HANDLE file, int wow64);
// The module list's header, and one row per module.
void WriteModuleHeader(HANDLE file);
void WriteModuleRow(HANDLE file, const C_ModuleRecord& record);
// The thread list's header, and one row per thread with the symbol text of its start address.
void WriteThreadHeader(HANDLE file);
void WriteThreadRow(HANDLE file, const C_ThreadRecord& record, const char* startSymbol, int isNt);

enum
{
    kModuleTimeSize = 16
};

// The link time of a module in local time: "%2u.%02u.%04u" and "%2u:%02u:%02u" into buffers of
// kModuleTimeSize bytes; both are empty when a conversion fails.
void FormatModuleTime(DWORD timeDateStamp, char* date, char* time);

// Lookups through the debug help library, for this process. Texts are kSymbolTextSize bytes.
// 1 and a symbol text for `address`, or 0 (text untouched) when nothing at all is known about it.
int DescribeAddress(const DebugHelpEntries& entries, DWORD64 address, char* text);
// 1, the short name of the module that holds `address` and the module's base, or 0.
int GetModuleName(const DebugHelpEntries& entries, DWORD64 address, char* text, DWORD64* base);
// 1 and the source file and line of `address`, or 0.
int GetSourceLine(const DebugHelpEntries& entries, DWORD64 address, IMAGEHLP_LINE64* line);

// One line per frame of the stack that `context` describes; `context` is walked (changed).
// Nothing without the debug help library (`entries` null).
void WriteStack(const DebugHelpEntries* entries, CONTEXT* context, HANDLE file);

// The whole report for the exception that thread `threadId` raised. `entries` is null without the
// debug help library; the record lists are emptied and their records freed as they are written.
void WriteTextReport(HANDLE file, EXCEPTION_POINTERS* pointers, DWORD threadId,
                     const DebugHelpEntries* entries, C_DumpRecords* records);
