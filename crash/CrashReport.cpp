#include "crash/CrashReport.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "crash/OsDescription.h"
#include "crash/ProcessorInfo.h"
#include "crash/ReportLine.h"
#include "sys/Target.h"
#include "sys/Text.h"

// The module information as far as TypeInfo, which every version of the library understands.
static const DWORD kModuleInfoSize = 1664;
static_assert(offsetof(IMAGEHLP_MODULE64, TypeInfo) + sizeof(BOOL) == kModuleInfoSize, "module info layout");

const char* GetExceptionName(DWORD code)
{
    static const struct
    {
        DWORD code;
        const char* name;
    } kNames[] = {{0x40010005, "Control-C"},
                  {0x40010008, "Control-Break"},
                  {0x80000002, "Datatype Misalignment"},
                  {0x80000003, "Breakpoint"},
                  {0xC0000005, "Access Violation"},
                  {0xC0000006, "In Page Error"},
                  {0xC0000017, "No Memory"},
                  {0xC000001D, "Illegal Instruction"},
                  {0xC0000025, "Noncontinuable Exception"},
                  {0xC0000026, "Invalid Disposition"},
                  {0xC000008C, "Array Bounds Exceeded"},
                  {0xC000008D, "Float Denormal Operand"},
                  {0xC000008E, "Float Divide by Zero"},
                  {0xC000008F, "Float Inexact Result"},
                  {0xC0000090, "Float Invalid Operation"},
                  {0xC0000091, "Float Overflow"},
                  {0xC0000092, "Float Stack Check"},
                  {0xC0000093, "Float Underflow"},
                  {0xC0000094, "Integer Divide by Zero"},
                  {0xC0000095, "Integer Overflow"},
                  {0xC0000096, "Privileged Instruction"},
                  {0xC00000FD, "Stack Overflow"},
                  {0xC0000142, "DLL Initialization Failed"},
                  {0xE06D7363, "Microsoft C++ Exception"}};
    for (const auto& entry : kNames)
        if (entry.code == code)
            return entry.name;
    return "Exception";
}

void WriteExceptionLines(HANDLE file, const EXCEPTION_RECORD& record, DWORD threadId, int isNt)
{
    const char* name = GetExceptionName(record.ExceptionCode);
    unsigned code = record.ExceptionCode;
    ULONG_PTR address = (ULONG_PTR)record.ExceptionAddress;
    if (isNt)
        WriteReportLine(file, "%s [0x%08X] at " KARPOLIN_ADDRESS " in Thread %u.\r\n", name, code, address,
                        (unsigned)threadId);
    else
        WriteReportLine(file, "%s [0x%08X] at " KARPOLIN_ADDRESS " in Thread 0x%08X.\r\n", name, code,
                        address, (unsigned)threadId);

    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
        WriteReportLine(file, "%s location " KARPOLIN_ADDRESS ".\r\n",
                        record.ExceptionInformation[0] ? "Write to" : "Read from",
                        record.ExceptionInformation[1]);
}

void WriteRegisterLines(HANDLE file, const CONTEXT& context)
{
    Target::RegisterLine lines[Target::kRegisterLines];
    Target::GetRegisterLines(context, lines);
    for (const Target::RegisterLine& line : lines)
        WriteReportLine(file, line.format, line.values[0], line.values[1], line.values[2], line.values[3]);
}

void WriteProcessorLine(HANDLE file, const char* name, const char* vendor, const char* identifier, DWORD mhz)
{
    WriteReportLine(file, "\r\n%s %s %s %u Mhz", name, vendor, identifier, (unsigned)mhz);
}

void WriteOsLine(HANDLE file, const char* osName, const OSVERSIONINFOA& version, int isNt)
{
    unsigned build = isNt ? (unsigned)version.dwBuildNumber : (unsigned)LOWORD(version.dwBuildNumber);
    // The service-pack text need not be terminated within its 128 bytes.
    char servicePack[sizeof(version.szCSDVersion) + 1];
    memcpy(servicePack, version.szCSDVersion, sizeof(version.szCSDVersion));
    servicePack[sizeof(version.szCSDVersion)] = 0;
    WriteReportLine(file, "\r\n%s [%u.%u] Build %u %s\r\n", osName, (unsigned)version.dwMajorVersion,
                    (unsigned)version.dwMinorVersion, build, servicePack);
}

void WriteArchitectureLine(HANDLE file, int wow64)
{
    WriteReportLine(file, "%s%s Ansi\r\n", Target::kArchitecture, wow64 ? " WOW64" : "");
}

void FormatModuleTime(DWORD timeDateStamp, char* date, char* time)
{
    date[0] = 0;
    time[0] = 0;
    ULONGLONG ticks = ((ULONGLONG)timeDateStamp + 11644473600ULL) * 10000000ULL;
    FILETIME utc;
    utc.dwLowDateTime = (DWORD)ticks;
    utc.dwHighDateTime = (DWORD)(ticks >> 32);
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts))
        return;
    _snprintf(date, kModuleTimeSize - 1, "%2u.%02u.%04u", parts.wDay, parts.wMonth, parts.wYear);
    date[kModuleTimeSize - 1] = 0;
    _snprintf(time, kModuleTimeSize - 1, "%2u:%02u:%02u", parts.wHour, parts.wMinute, parts.wSecond);
    time[kModuleTimeSize - 1] = 0;
}

void WriteModuleHeader(HANDLE file)
{
    WriteReportLine(file, "\r\nModuleList:\r\n");
    WriteReportLine(file, "    Size TimeStamp                      CheckSum   ImageBase  Versions\r\n");
}

void WriteModuleRow(HANDLE file, const C_ModuleRecord& record)
{
    char date[kModuleTimeSize], time[kModuleTimeSize];
    FormatModuleTime(record.timeDateStamp, date, time);
    const VS_FIXEDFILEINFO& version = record.versionInfo;
    WriteReportLine(
        file, "%8u 0x%08X %10.10s %8.8s 0x%08X 0x%08I64X %4d.%04d.%04d.%05d %4d.%04d.%04d.%05d - %S\r\n",
        (unsigned)record.imageSize, (unsigned)record.timeDateStamp, date, time, (unsigned)record.checkSum,
        record.imageBase, HIWORD(version.dwFileVersionMS), LOWORD(version.dwFileVersionMS),
        HIWORD(version.dwFileVersionLS), LOWORD(version.dwFileVersionLS), HIWORD(version.dwProductVersionMS),
        LOWORD(version.dwProductVersionMS), HIWORD(version.dwProductVersionLS),
        LOWORD(version.dwProductVersionLS), record.path ? record.path : L"(null)");
}

void WriteThreadHeader(HANDLE file)
{
    WriteReportLine(file, "\r\nThreadList:\r\n");
    WriteReportLine(file, "Id         StackBase  StackEnd   StartAddress\r\n");
}

void WriteThreadRow(HANDLE file, const C_ThreadRecord& record, const char* startSymbol, int isNt)
{
    char name[sizeof(record.name)];
    memcpy(name, record.name, sizeof(name));
    name[sizeof(name) - 1] = 0;
    if (isNt)
        WriteReportLine(file, "%-8u   0x%08I64X 0x%08I64X " KARPOLIN_ADDRESS " %hs %s\r\n",
                        (unsigned)record.threadId, record.stackBase, record.stackEnd, record.startAddress,
                        startSymbol, name);
    else
        WriteReportLine(file, "0x%08X 0x%08I64X 0x%08I64X " KARPOLIN_ADDRESS " %hs %s\r\n",
                        (unsigned)record.threadId, record.stackBase, record.stackEnd, record.startAddress,
                        startSymbol, name);
}

int GetModuleName(const DebugHelpEntries& entries, DWORD64 address, char* text, DWORD64* base)
{
    HANDLE process = GetCurrentProcess();
    IMAGEHLP_MODULE64 info;
    memset(&info, 0, sizeof(info));
    info.SizeOfStruct = kModuleInfoSize;
    if (entries.symGetModuleInfo64(process, address, &info))
    {
        char name[sizeof(info.ModuleName) + 1];
        memcpy(name, info.ModuleName, sizeof(info.ModuleName));
        name[sizeof(info.ModuleName)] = 0;
        CopyWholeCharacters(text, kSymbolTextSize, name, CP_ACP);
        *base = info.BaseOfImage;
        return 1;
    }
    DWORD64 moduleBase = entries.symGetModuleBase64(process, address);
    if (!moduleBase)
        return 0;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>((ULONG_PTR)moduleBase), path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return 0;
    const char* slash = FindLastChar(path, '\\', CP_ACP);
    CopyWholeCharacters(text, kSymbolTextSize, slash ? slash + 1 : path, CP_ACP);
    *base = moduleBase;
    return 1;
}

int DescribeAddress(const DebugHelpEntries& entries, DWORD64 address, char* text)
{
    HANDLE process = GetCurrentProcess();

    // The name buffers follow the structures; one byte more keeps them terminated.
    struct
    {
        SYMBOL_INFO info;
        char name[412 + 1];
    } symbol;
    memset(&symbol, 0, sizeof(symbol));
    symbol.info.SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol.info.MaxNameLen = 412;
    if (entries.symFromAddr(process, address, NULL, &symbol.info))
    {
        CopyWholeCharacters(text, kSymbolTextSize, symbol.info.Name, CP_ACP);
        return 1;
    }

    struct
    {
        IMAGEHLP_SYMBOL64 info;
        char name[476 + 1];
    } oldSymbol;
    memset(&oldSymbol, 0, sizeof(oldSymbol));
    oldSymbol.info.SizeOfStruct = sizeof(IMAGEHLP_SYMBOL64);
    oldSymbol.info.MaxNameLength = 476;
    if (entries.symGetSymFromAddr64(process, address, NULL, &oldSymbol.info))
    {
        CopyWholeCharacters(text, kSymbolTextSize, oldSymbol.info.Name, CP_ACP);
        return 1;
    }

    char module[kSymbolTextSize];
    DWORD64 base = 0;
    if (!GetModuleName(entries, address, module, &base))
        return 0;
    DWORD64 offset = address >= base ? address - base : address;
    char described[kReportLineSize];
    if (module[0])
        _snprintf(described, sizeof(described) - 1, "%s@0x%I64X", module, offset);
    else
        _snprintf(described, sizeof(described) - 1, "0x%I64X@0x%I64X", base, offset);
    described[sizeof(described) - 1] = 0;
    CopyWholeCharacters(text, kSymbolTextSize, described, CP_ACP);
    return 1;
}

int GetSourceLine(const DebugHelpEntries& entries, DWORD64 address, IMAGEHLP_LINE64* line)
{
    memset(line, 0, sizeof(*line));
    line->SizeOfStruct = sizeof(IMAGEHLP_LINE64);
    DWORD displacement = 0;
    return entries.symGetLineFromAddr64(GetCurrentProcess(), address, &displacement, line) ? 1 : 0;
}

void WriteStack(const DebugHelpEntries* entries, CONTEXT* context, HANDLE file)
{
    if (!entries)
        return;
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE process = GetCurrentProcess();

    STACKFRAME64 frame;
    memset(&frame, 0, sizeof(frame));
    Target::StartStackFrame(*context, &frame);

    DWORD64 previous = 0;
    for (;;)
    {
        if (!entries->stackWalk64(Target::kStackMachine, process, NULL, &frame, context, NULL,
                                  entries->symFunctionTableAccess64, entries->symGetModuleBase64, NULL))
            break;
        DWORD64 pc = frame.AddrPC.Offset;
        if (pc == previous)
            break;
        previous = pc;

        char symbol[kSymbolTextSize];
        if (!DescribeAddress(*entries, pc, symbol))
        {
            _snprintf(symbol, sizeof(symbol) - 1, "0x%08I64X", PlainAddress(pc));
            symbol[sizeof(symbol) - 1] = 0;
        }
        IMAGEHLP_LINE64 line;
        int hasLine = GetSourceLine(*entries, pc, &line);
        char module[kSymbolTextSize] = "";
        DWORD64 base = 0;
        if (!hasLine && !GetModuleName(*entries, pc, module, &base))
            module[0] = 0;

        // The shared user-data page is no code of the program.
        if ((pc & 0xFFFF0000) != 0x7FFE0000)
        {
            DWORD64 p0 = Target::StackWord(frame.Params[0]), p1 = Target::StackWord(frame.Params[1]);
            DWORD64 p2 = Target::StackWord(frame.Params[2]), p3 = Target::StackWord(frame.Params[3]);
            if (hasLine)
                WriteReportLine(file, "%hs(0x%I64X,0x%I64X,0x%I64X,0x%I64X) - Line %u in %hs\r\n", symbol, p0,
                                p1, p2, p3, (unsigned)line.LineNumber, line.FileName ? line.FileName : "");
            else if (module[0])
                WriteReportLine(file, "%hs:%hs(0x%I64X,0x%I64X,0x%I64X,0x%I64X)\r\n", module, symbol, p0, p1,
                                p2, p3);
            else
                WriteReportLine(file, "%hs(0x%I64X,0x%I64X,0x%I64X,0x%I64X)\r\n", symbol, p0, p1, p2, p3);
        }
        if (frame.AddrReturn.Offset == 0)
            break;
    }
    SetErrorMode(previousMode);
}

void WriteTextReport(HANDLE file, EXCEPTION_POINTERS* pointers, DWORD threadId,
                     const DebugHelpEntries* entries, C_DumpRecords* records)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    int isNt = (version.dwPlatformId & VER_PLATFORM_WIN32_NT) != 0;

    WriteExceptionLines(file, *pointers->ExceptionRecord, threadId, isNt);
    WriteRegisterLines(file, *pointers->ContextRecord);

    {
        C_ProcessorInfo processors;
        C_Text name, vendor, identifier;
        DWORD mhz = 0;
        for (unsigned index = 0; processors.GetProcessor(index, name, vendor, identifier, mhz); index++)
            WriteProcessorLine(file, name.c_str(), vendor.c_str(), identifier.c_str(), mhz);
    }

    char osName[kOsNameSize];
    WriteOsLine(file, GetOsName(osName, GetOsFlags()), version, isNt);
    WriteArchitectureLine(file, IsWow64());

    if (entries)
    {
        WriteReportLine(file, "\r\nStack:\r\n");
        // The walk changes the context it is given; the exception's own stays as it was.
        CONTEXT context = *pointers->ContextRecord;
        WriteStack(entries, &context, file);
    }

    if (!records)
        return;
    if (records->modules.First())
    {
        WriteModuleHeader(file);
        C_ModuleRecord* record = records->modules.First();
        while (record)
        {
            C_ModuleRecord* next = record->next;
            WriteModuleRow(file, *record);
            records->Free(record);
            record = next;
        }
        records->modules.Init();
    }
    if (records->threads.First())
    {
        WriteThreadHeader(file);
        C_ThreadRecord* record = records->threads.First();
        while (record)
        {
            C_ThreadRecord* next = record->next;
            char symbol[kSymbolTextSize] = "";
            if (!entries || !DescribeAddress(*entries, record->startAddress, symbol))
                symbol[0] = 0;
            WriteThreadRow(file, *record, symbol, isNt);
            records->Free(record);
            record = next;
        }
        records->threads.Init();
    }
}
