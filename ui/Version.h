#pragma once

#include <windows.h>

enum
{
    kTitleSize = 200
};

// The program's name: the caption of every window and message box.
extern const char kProgramName[];

// "name [major.minor]", the minor with two digits. `buffer` holds kTitleSize bytes.
const char* FormatTitle(const char* name, UINT major, UINT minor, char* buffer);
// The same with the FileVersion of `module` (the program itself when null), 1.01 when it has none.
const char* FormatTitle(const char* name, HMODULE module, char* buffer);

// Reads the FileVersion string of a file's version block (see ParseFileVersion).
int ReadFileVersion(const char* path, UINT* major, UINT* minor, char* text = NULL, int textSize = 0);

// The FileVersion string of a version block as GetFileVersionInfoA reads it, from the German Unicode
// string table ("040704B0"), else the English one ("040904B0"), read as "%u.%u": a part that does not
// parse keeps its value. `text`, when given, receives the whole string and holds `textSize` bytes.
// 0 when there is no such string within `size` bytes.
int ParseFileVersion(const void* block, DWORD size, UINT* major, UINT* minor, char* text = NULL,
                     int textSize = 0);
