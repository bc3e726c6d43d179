#include "ui/Version.h"

#include <ctype.h>
#include <stdio.h>

const char kProgramName[] = "Karpolin";

namespace
{

// A node of a version block: length, value length, type, key; then the value and the children, each
// on a 4-byte boundary. Only nodes without a value have children here, so the type never matters.
struct VersionNode
{
    DWORD key, value, children, end;
};

WORD ReadWord(const BYTE* bytes, DWORD offset)
{
    return (WORD)(bytes[offset] | (bytes[offset + 1] << 8));
}

DWORD AlignUp4(DWORD offset)
{
    return (offset + 3) & ~3u;
}

// 0 when the node does not lie within `limit` or its key runs past its end.
int ReadNode(const BYTE* bytes, DWORD offset, DWORD limit, VersionNode* node)
{
    if (offset + 6 > limit)
        return 0;
    DWORD length = ReadWord(bytes, offset);
    if (length < 6 || length > limit - offset)
        return 0;
    node->end = offset + length;
    node->key = offset + 6;
    DWORD at = node->key;
    while (at + 2 <= node->end && ReadWord(bytes, at) != 0)
        at += 2;
    if (at + 2 > node->end)
        return 0;
    node->value = AlignUp4(at + 2);
    node->children = AlignUp4(node->value + ReadWord(bytes, offset + 2));
    return 1;
}

// Keys compare without regard to case, as VerQueryValue does: the program's own block says "040704b0".
int KeyIs(const BYTE* bytes, DWORD at, const char* name)
{
    for (;; at += 2, name++)
    {
        WORD unit = ReadWord(bytes, at);
        if (unit >= 0x80 || tolower(unit) != tolower((unsigned char)*name))
            return 0;
        if (unit == 0)
            return 1;
    }
}

int FindChild(const BYTE* bytes, const VersionNode& parent, const char* name, VersionNode* child)
{
    for (DWORD at = parent.children; ReadNode(bytes, at, parent.end, child); at = AlignUp4(child->end))
        if (KeyIs(bytes, child->key, name))
            return 1;
    return 0;
}

} // namespace

int ParseFileVersion(const void* block, DWORD size, UINT* major, UINT* minor, char* text, int textSize)
{
    const BYTE* bytes = static_cast<const BYTE*>(block);
    VersionNode root, info, table, version;
    if (!bytes || !ReadNode(bytes, 0, size, &root) || !FindChild(bytes, root, "StringFileInfo", &info))
        return 0;
    if (!FindChild(bytes, info, "040704B0", &table) && !FindChild(bytes, info, "040904B0", &table))
        return 0;
    if (!FindChild(bytes, table, "FileVersion", &version))
        return 0;
    // The text ends at its terminator or with its node.
    DWORD units = 0;
    while (version.value + 2 * units + 2 <= version.end && ReadWord(bytes, version.value + 2 * units) != 0)
        units++;
    char ansi[MAX_PATH];
    int written = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(bytes + version.value),
                                      (int)units, ansi, sizeof(ansi) - 1, NULL, NULL);
    ansi[written > 0 ? written : 0] = 0;
    UINT parts[2] = {*major, *minor};
    sscanf(ansi, "%u.%u", &parts[0], &parts[1]);
    *major = parts[0];
    *minor = parts[1];
    if (text && textSize > 0)
        lstrcpynA(text, ansi, textSize);
    return 1;
}

int ReadFileVersion(const char* path, UINT* major, UINT* minor, char* text, int textSize)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return 0;
    void* block = LocalAlloc(LMEM_ZEROINIT, size);
    if (!block)
        return 0;
    int found = GetFileVersionInfoA(path, 0, size, block) &&
                ParseFileVersion(block, size, major, minor, text, textSize);
    LocalFree(block);
    return found;
}

const char* FormatTitle(const char* name, UINT major, UINT minor, char* buffer)
{
    _snprintf(buffer, kTitleSize - 1, "%s [%u.%02u]", name, major, minor);
    buffer[kTitleSize - 1] = 0;
    return buffer;
}

const char* FormatTitle(const char* name, HMODULE module, char* buffer)
{
    UINT major = 1, minor = 1;
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = 0;
    if (length)
        ReadFileVersion(path, &major, &minor);
    return FormatTitle(name, major, minor, buffer);
}
