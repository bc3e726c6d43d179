#include "sys/Library.h"

int C_Library::Load(const char* fileName)
{
    Free();
    m_module = LoadLibraryA(fileName);
    return m_module != NULL;
}

FARPROC C_Library::GetProc(const char* entryName) const
{
    if (!m_module)
        return NULL;
    return GetProcAddress(m_module, entryName);
}

int C_Library::Free()
{
    if (!m_module)
        return 0;
    FreeLibrary(m_module);
    m_module = NULL;
    return 1;
}
