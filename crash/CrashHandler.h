#pragma once

#include <windows.h>

#include "crash/DebugHelp.h"

// The program's one crash handler: its construction installs the unhandled-exception filter, which
// writes "<executable without extension>_Debug.dmp" and "..._Debug.txt" for the first unhandled
// exception of the process and then leaves the exception to the system's default handling. A fault
// in the program's own code counts as unhandled at once, before a frame of the system can swallow it.
// Define the one instance as the first object of the program's entry file, so that it exists
// before any other static object of the program.
class C_CrashHandler
{
public:
    C_CrashHandler();
    // Releases the libraries; the filter stays installed and works without this object.
    ~C_CrashHandler();

    // The filter: reports the first unhandled exception; returns EXCEPTION_CONTINUE_SEARCH always.
    static LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers);

    // A stack overflow in the program's code leaves too little stack for the system's filter call
    // (about 2 KB on 64-bit Windows under Wine): the first-chance handler writes the crash files from
    // here, on a thread of their own, and ends the process with the exception's code.
    static void OnStackOverflow(EXCEPTION_POINTERS* pointers);

    void UnloadDebugHelp();
    // Writes the minidump and then the text report, on a thread of their own while the calling
    // thread waits.
    void WriteCrashFiles(EXCEPTION_POINTERS* pointers);

    // The debug help library that LoadDebugHelp loads instead of "dbghelp.dll"; test programs name
    // a missing or outdated one here.
    void SetDebugHelpName(const char* fileName) { m_debugHelpName = fileName; }

private:
    C_CrashHandler(const C_CrashHandler&) = delete;
    C_CrashHandler& operator=(const C_CrashHandler&) = delete;

    C_DebugHelp m_debugHelp;
    const char* m_debugHelpName;
};

// 1 for the first caller only: the test and the set of `reported` are one atomic step, so that of
// two threads whose exceptions arrive at the same instant exactly one reports.
int ClaimFirstReport(volatile LONG* reported);

// 1 for a fault (an exception of error severity, no software exception of a language) that arose in
// the program's own code, the image at `imageBase`.
int IsProgramFault(const EXCEPTION_RECORD& record, ULONG_PTR imageBase, ULONG_PTR imageSize);

enum
{
    // "\\?\UNC", a path of MAX_PATH characters and a suffix.
    kCrashNameSize = 8 + MAX_PATH + 16
};

// The name of the crash file with `suffix` ("_Debug.dmp") into `name` (kCrashNameSize characters):
// the executable's path without its extension, in the long form ("\\?\") that lifts the limit of 260
// characters, or "MiniDump" in the current folder when the path is unknown (null or empty). Only a
// dot of the file name itself counts.
void GetCrashFileName(const wchar_t* executablePath, const wchar_t* suffix, wchar_t* name);

// WriteCrashFiles with the given holder and library name.
void WriteCrashFilesWith(C_DebugHelp& debugHelp, const char* debugHelpName, EXCEPTION_POINTERS* pointers);
