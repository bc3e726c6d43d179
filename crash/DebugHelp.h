#pragma once

#include <windows.h>
#include <dbghelp.h>

#include "sys/Library.h"

class C_Text;

typedef BOOL(WINAPI* MiniDumpWriteDumpFunction)(HANDLE process, DWORD processId, HANDLE file,
                                                MINIDUMP_TYPE type, PMINIDUMP_EXCEPTION_INFORMATION exception,
                                                PMINIDUMP_USER_STREAM_INFORMATION userStreams,
                                                PMINIDUMP_CALLBACK_INFORMATION callback);
typedef BOOL(WINAPI* SymInitializeFunction)(HANDLE process, PCSTR searchPath, BOOL invadeProcess);
typedef DWORD(WINAPI* SymSetOptionsFunction)(DWORD options);
typedef BOOL(WINAPI* SymGetSymFromAddr64Function)(HANDLE process, DWORD64 address, PDWORD64 displacement,
                                                  PIMAGEHLP_SYMBOL64 symbol);
typedef BOOL(WINAPI* SymFromAddrFunction)(HANDLE process, DWORD64 address, PDWORD64 displacement,
                                          PSYMBOL_INFO symbol);
typedef BOOL(WINAPI* SymGetModuleInfo64Function)(HANDLE process, DWORD64 address, PIMAGEHLP_MODULE64 info);
typedef BOOL(WINAPI* StackWalk64Function)(DWORD machine, HANDLE process, HANDLE thread, LPSTACKFRAME64 frame,
                                          PVOID context, PREAD_PROCESS_MEMORY_ROUTINE64 readMemory,
                                          PFUNCTION_TABLE_ACCESS_ROUTINE64 functionTableAccess,
                                          PGET_MODULE_BASE_ROUTINE64 getModuleBase,
                                          PTRANSLATE_ADDRESS_ROUTINE64 translateAddress);
typedef PVOID(WINAPI* SymFunctionTableAccess64Function)(HANDLE process, DWORD64 addressBase);
typedef DWORD64(WINAPI* SymGetModuleBase64Function)(HANDLE process, DWORD64 address);
typedef BOOL(WINAPI* SymGetLineFromAddr64Function)(HANDLE process, DWORD64 address, PDWORD displacement,
                                                   PIMAGEHLP_LINE64 line);
typedef LONG(WINAPI* NtQueryInformationThreadFunction)(HANDLE thread, ULONG informationClass, PVOID buffer,
                                                       ULONG length, PULONG returnLength);

// The entry points of the debug help library that the crash report uses, all or none.
struct DebugHelpEntries
{
    MiniDumpWriteDumpFunction miniDumpWriteDump;
    SymInitializeFunction symInitialize;
    SymSetOptionsFunction symSetOptions;
    SymGetSymFromAddr64Function symGetSymFromAddr64;
    SymFromAddrFunction symFromAddr;
    SymGetModuleInfo64Function symGetModuleInfo64;
    StackWalk64Function stackWalk64;
    SymFunctionTableAccess64Function symFunctionTableAccess64;
    SymGetModuleBase64Function symGetModuleBase64;
    SymGetLineFromAddr64Function symGetLineFromAddr64;
};

// The debug help library and ntdll.dll, loaded only while crash files are written.
class C_DebugHelp
{
public:
    C_DebugHelp();
    ~C_DebugHelp() { UnloadDebugHelp(); }

    // 1 when the library, every entry point and the symbol engine are ready; else 0 with both
    // libraries released. There is no partial mode: one missing entry point rejects the library.
    int LoadDebugHelp(const char* fileName);
    void UnloadDebugHelp();

    // Null unless loaded.
    const DebugHelpEntries* Entries() const { return m_loaded ? &m_entries : NULL; }
    // Null when ntdll.dll or the entry point is missing.
    NtQueryInformationThreadFunction QueryThread() const { return m_queryThread; }

private:
    C_DebugHelp(const C_DebugHelp&) = delete;
    C_DebugHelp& operator=(const C_DebugHelp&) = delete;

    C_Library m_debugHelp;
    C_Library m_ntdll;
    NtQueryInformationThreadFunction m_queryThread;
    DebugHelpEntries m_entries;
    int m_loaded;
};

// The symbol search path: the executable's folder (with its backslash), then the values of
// _NT_SYMBOL_PATH, _NT_ALTERNATE_SYMBOL_PATH and SYSTEMROOT that are set, joined by ";".
// `executablePath` may be null when it could not be read.
void BuildSymbolPath(C_Text& path, const char* executablePath);

// The executable's path into `buffer` (MAX_PATH bytes); 0 with an empty buffer when it cannot be
// read whole.
int GetExecutablePath(char* buffer);

// The last `c` of `text`, found character by character in `codePage`, so that a trail byte of a
// double-byte character is never taken for it; null when there is none.
const char* FindLastChar(const char* text, char c, UINT codePage);
