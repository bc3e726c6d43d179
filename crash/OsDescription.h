#pragma once

#include <windows.h>

// The operating-system flags: the class of GetOsClass in the low 16 bits, and on the NT family the
// product type, edition and session bits above.
enum OsFlags
{
    OS_STARTER = 0x00040000,
    OS_SERVER_R2 = 0x00080000,
    OS_TABLET_PC = 0x00100000,
    OS_MEDIA_CENTER = 0x00200000,
    OS_MEDIA_CENTER_2 = 0x00400000,
    OS_MEDIA_CENTER_3 = 0x00800000,
    OS_MEDIA_CENTER_4 = 0x01000000,
    OS_MEDIA_CENTER_5 = 0x02000000,
    OS_REMOTE_SESSION = 0x04000000,
    OS_PE_BUILDER = 0x08000000,
    OS_MINI_NT = 0x10000000,
    OS_WORKSTATION = 0x20000000,
    OS_SERVER = 0x40000000,
    OS_ADVANCED_SERVER = 0x80000000
};

// What GetOsFlags asks the system beside the version: keys and text values below
// HKEY_LOCAL_MACHINE and system metrics. The system's own answers come from C_SystemOsProbe.
class C_OsProbe
{
public:
    virtual ~C_OsProbe() {}
    virtual int KeyExists(const char* path) = 0;
    // Reads a text value into `buffer` (terminated within `capacity`); 0 leaves the buffer as it was.
    virtual int ReadText(const char* path, const char* name, char* buffer, DWORD capacity) = 0;
    virtual int GetMetric(int index) = 0;
};

class C_SystemOsProbe : public C_OsProbe
{
public:
    int KeyExists(const char* path) override;
    int ReadText(const char* path, const char* name, char* buffer, DWORD capacity) override;
    int GetMetric(int index) override;
};

// The flags for a system of class `osClass` (GetOsClass) whose other facts `probe` answers.
DWORD ComputeOsFlags(DWORD osClass, C_OsProbe& probe);

// The flags of the running system.
DWORD GetOsFlags();

enum
{
    kOsNameSize = 104
};

// The name of the system that `flags` describe, with its tags; either a constant text or `buffer`,
// which must hold kOsNameSize bytes and is never written beyond them.
const char* GetOsName(char* buffer, DWORD flags);

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

// 1 when the process runs under WOW64; a system without IsWow64Process counts as not WOW64.
int IsWow64();
// The decision of IsWow64 for a looked-up entry point, which may be null.
int IsWow64With(IsWow64ProcessFunction isWow64Process, HANDLE process);
