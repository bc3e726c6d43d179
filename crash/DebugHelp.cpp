#include "crash/DebugHelp.h"

#include <string.h>

#include "sys/Text.h"

C_DebugHelp::C_DebugHelp() : m_queryThread(NULL), m_loaded(0)
{
    memset(&m_entries, 0, sizeof(m_entries));
}

int C_DebugHelp::LoadDebugHelp(const char* fileName)
{
    UnloadDebugHelp();
    if (!m_debugHelp.Load(fileName))
        return 0;

    DebugHelpEntries entries;
    entries.miniDumpWriteDump = m_debugHelp.Get<MiniDumpWriteDumpFunction>("MiniDumpWriteDump");
    entries.symInitialize = m_debugHelp.Get<SymInitializeFunction>("SymInitialize");
    entries.symSetOptions = m_debugHelp.Get<SymSetOptionsFunction>("SymSetOptions");
    entries.symGetSymFromAddr64 = m_debugHelp.Get<SymGetSymFromAddr64Function>("SymGetSymFromAddr64");
    entries.symFromAddr = m_debugHelp.Get<SymFromAddrFunction>("SymFromAddr");
    entries.symGetModuleInfo64 = m_debugHelp.Get<SymGetModuleInfo64Function>("SymGetModuleInfo64");
    entries.stackWalk64 = m_debugHelp.Get<StackWalk64Function>("StackWalk64");
    entries.symFunctionTableAccess64 =
        m_debugHelp.Get<SymFunctionTableAccess64Function>("SymFunctionTableAccess64");
    entries.symGetModuleBase64 = m_debugHelp.Get<SymGetModuleBase64Function>("SymGetModuleBase64");
    entries.symGetLineFromAddr64 = m_debugHelp.Get<SymGetLineFromAddr64Function>("SymGetLineFromAddr64");
    if (!entries.miniDumpWriteDump || !entries.symInitialize || !entries.symSetOptions ||
        !entries.symGetSymFromAddr64 || !entries.symFromAddr || !entries.symGetModuleInfo64 ||
        !entries.stackWalk64 || !entries.symFunctionTableAccess64 || !entries.symGetModuleBase64 ||
        !entries.symGetLineFromAddr64)
    {
        m_debugHelp.Free();
        return 0;
    }

    if (m_ntdll.Load("ntdll.dll"))
        m_queryThread = m_ntdll.Get<NtQueryInformationThreadFunction>("NtQueryInformationThread");

    entries.symSetOptions(SYMOPT_LOAD_LINES);

    char executable[MAX_PATH];
    C_Text path;
    BuildSymbolPath(path, GetExecutablePath(executable) ? executable : NULL);
    if (!entries.symInitialize(GetCurrentProcess(), path.c_str(), TRUE))
    {
        UnloadDebugHelp();
        return 0;
    }
    m_entries = entries;
    m_loaded = 1;
    return 1;
}

void C_DebugHelp::UnloadDebugHelp()
{
    m_loaded = 0;
    memset(&m_entries, 0, sizeof(m_entries));
    m_debugHelp.Free();
    m_queryThread = NULL;
    m_ntdll.Free();
}

const char* FindLastChar(const char* text, char c, UINT codePage)
{
    const char* found = NULL;
    for (const char* p = text; *p; p++)
    {
        if (IsDBCSLeadByteEx(codePage, (BYTE)*p))
        {
            if (!p[1])
                break;
            p++;
            continue;
        }
        if (*p == c)
            found = p;
    }
    return found;
}

int GetExecutablePath(char* buffer)
{
    // A path that fills the buffer has been cut (and is left unterminated on some systems).
    DWORD length = GetModuleFileNameA(NULL, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
    {
        buffer[0] = 0;
        return 0;
    }
    return 1;
}

namespace
{

void AppendPiece(C_Text& path, const char* piece)
{
    path.Append(piece);
    path.Append(";");
}

// Appends the variable's value when it is set and not empty; a value too long for 260 bytes is
// read whole into a buffer of its own size, since a cut path would name the wrong folder.
void AppendVariable(C_Text& path, const char* name)
{
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0)
        return;
    if (length < sizeof(value))
    {
        AppendPiece(path, value);
        return;
    }
    C_Text longValue(length);
    if (longValue.Capacity() < (int)length)
        return;
    DWORD read = GetEnvironmentVariableA(name, longValue.GetString(), length);
    if (read == 0 || read >= length)
        return;
    longValue.SyncLength();
    AppendPiece(path, longValue.c_str());
}

} // namespace

void BuildSymbolPath(C_Text& path, const char* executablePath)
{
    path.Assign("");
    if (executablePath)
    {
        const char* slash = FindLastChar(executablePath, '\\', CP_ACP);
        if (slash)
        {
            C_Text folder;
            folder.Assign(executablePath, (int)(slash - executablePath) + 1);
            AppendPiece(path, folder.c_str());
        }
    }
    AppendVariable(path, "_NT_SYMBOL_PATH");
    AppendVariable(path, "_NT_ALTERNATE_SYMBOL_PATH");
    AppendVariable(path, "SYSTEMROOT");
    if (path.Length() > 0)
        path.Truncate(path.Length() - 1);
}
