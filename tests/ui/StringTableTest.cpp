#include <gtest/gtest.h>

#include <string.h>
#include <wchar.h>

#include <string>

#include "support/Heap.h"
#include "ui/Menu.h"
#include "ui/StringTable.h"
#include "ui/Version.h"

static const HINSTANCE kSelf = GetModuleHandleA(NULL);

// The listed texts in both languages: ResourceTest; the two default languages: GermanTest. Wine's own
// lookup of the neutral language always finds one, so the English steps after it are never reached.
TEST(C_StringTable, FindsEachTextThroughTheLanguageChainIntoBuffersItNeverOverruns)
{
    const struct
    {
        UINT id;
        WORD language;
        const char* text;
    } rows[] = {{24, 3079, "Rho [Dichte Norm]"},      // German (Austria): the default sublanguage
                {36, 0x0807, "Identifikation"},       // German (Switzerland)
                {1, 1036, "Can't open Serial Port."}, // French: the neutral step gives the user's language
                {23, 1031, "?"},                      // a gap in a block
                {5000, 1033, "?"}};                   // no block in any language
    C_StringTable strings(kSelf);
    for (const auto& row : rows)
        EXPECT_STREQ(row.text, strings.LoadLocalizedString(row.id, NULL, row.language)) << row.id;
    char small[8] = "xxxxxxx";
    EXPECT_STREQ("Can't", strings.LoadLocalizedString(1, small, 1033, 6));
    EXPECT_STREQ("Can't", strings.LoadPlainString(1, small, 6));
    EXPECT_EQ('x', small[6]);
    const char* cancel = strings.LoadPlainString(20, NULL); // in the platform's language, English here
    EXPECT_EQ(cancel, strings.LoadPlainString(21, NULL)) << "lookups without a buffer share one";
    EXPECT_STREQ("Please wait", cancel);
    EXPECT_STREQ("?", strings.LoadPlainString(23, NULL));
}

TEST(C_Menu, LoadsOnlyTheExactLanguageAndDestroysTheBarItReplaces)
{
    HWND owner =
        CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL, kSelf, NULL);
    SetMenu(owner, LoadMenuA(kSelf, MAKEINTRESOURCEA(103)));
    C_Menu menu;
    ASSERT_EQ(1, menu.Attach(owner, 3, kSelf));
    const struct
    {
        WORD language;
        int loaded;
        const char* first; // the first popup's caption afterwards
    } rows[] = {{1031, 1, "Datei"}, {3079, 0, "Datei"}, {1036, 0, "Datei"}, {1033, 1, "File"}};
    for (const auto& row : rows)
    {
        HMENU before = GetMenu(owner);
        char caption[32] = "";
        EXPECT_EQ(row.loaded, menu.LoadMenuForLanguage(103, row.language)) << row.language;
        EXPECT_EQ(row.loaded, GetMenu(owner) != before) << row.language;
        EXPECT_EQ(!row.loaded, IsMenu(before)) << row.language << ": the replaced bar is destroyed";
        GetMenuStringA(GetMenu(owner), 0, caption, sizeof(caption), MF_BYPOSITION);
        EXPECT_STREQ(row.first, caption) << row.language;
    }
    for (int checked : {1, 0}) // 40006, the port com2, lies in another submenu
    {
        EXPECT_EQ(1, menu.CheckItem(40006, 1, checked));
        EXPECT_EQ(checked ? MF_CHECKED : 0u, GetMenuState(GetMenu(owner), 40006, MF_BYCOMMAND) & MF_CHECKED);
    }
    EXPECT_EQ(0, menu.CheckItem(49999, 1, 1)) << "no such item";
    EXPECT_EQ(0, C_Menu().Attach(owner, 9, kSelf));
    DestroyWindow(owner);
}

namespace
{

std::string Utf16(const wchar_t* text)
{
    return std::string((const char*)text, (wcslen(text) + 1) * 2);
}

// A node of a version block: length, value length, type (1: text), key, value and children, each on
// a 4-byte boundary.
std::string Node(const wchar_t* key, const std::string& value, WORD valueLength, const std::string& children)
{
    std::string bytes = std::string(6, '\0') + Utf16(key);
    bytes.resize((bytes.size() + 3) & ~3u);
    bytes += value;
    bytes.resize(children.empty() ? bytes.size() : (bytes.size() + 3) & ~3u);
    bytes += children;
    const WORD header[3] = {(WORD)bytes.size(), valueLength, 1};
    return bytes.replace(0, 6, (const char*)header, 6);
}

// A version block with one table per language, each holding `name` = `value`.
std::string Block(const wchar_t* name, const wchar_t* value, const wchar_t* language,
                  const wchar_t* second = NULL)
{
    std::string tables;
    for (const wchar_t* table : {language, second})
        if (table)
            tables += Node(table, "", 0, Node(name, Utf16(value), (WORD)wcslen(value) + 1, ""));
    return Node(L"VS_VERSION_INFO", std::string(52, '\0'), 52, Node(L"StringFileInfo", "", 0, tables));
}

} // namespace

TEST(ParseFileVersion, ReadsTheFileVersionOfTheGermanOrElseTheEnglishTable)
{
    const struct
    {
        std::string block;
        int found;
        const char* text;
        const char* title;
    } rows[] = {{Block(L"FileVersion", L"1.5", L"040704B0"), 1, "1.5", "X [1.05]"},
                {Block(L"FileVersion", L"1.16", L"040704b0"), 1, "1.16", "X [1.16]"},
                {Block(L"FileVersion", L"3.7", L"040904B0"), 1, "3.7", "X [3.07]"},
                {Block(L"FileVersion", L"2", L"040904B0", L"040704B0"), 1, "2", "X [2.01]"}, // the minor kept
                {Block(L"FileVersion", L"4.2", L"040C04B0"), 0, "", "X [1.01]"},
                {Block(L"ProductVersion", L"4.2", L"040704B0"), 0, "", "X [1.01]"}};
    for (const auto& row : rows)
    {
        UINT major = 1, minor = 1;
        char text[8] = "", title[kTitleSize];
        EXPECT_EQ(row.found,
                  ParseFileVersion(row.block.data(), (DWORD)row.block.size(), &major, &minor, text, 8));
        EXPECT_STREQ(row.text, text);
        EXPECT_STREQ(row.title, FormatTitle("X", major, minor, title));
    }
    // Cut before the end of its text, also with a root that claims only what is left, a block gives
    // nothing; neither does a file without one.
    UINT major = 7, minor = 8;
    C_GuardedBytes guarded;
    for (size_t size = 0; size < rows[0].block.size(); size++)
    {
        BYTE* cut = guarded.Place(rows[0].block.data(), size);
        EXPECT_EQ(0, ParseFileVersion(cut, (DWORD)size, &major, &minor)) << size;
        if (size >= 2)
            cut[0] = (BYTE)size, cut[1] = (BYTE)(size >> 8);
        EXPECT_EQ(0, ParseFileVersion(cut, (DWORD)size, &major, &minor)) << size;
    }
    EXPECT_EQ(0, ReadFileVersion("Z:\\no\\such\\file.dll", &major, &minor));
    EXPECT_TRUE(major == 7 && minor == 8);
    char title[kTitleSize];
    EXPECT_STREQ("Karpolin [1.16]", FormatTitle("Karpolin", NULL, title)) << "the program's own version";
    EXPECT_STRNE("X [1.16]", FormatTitle("X", GetModuleHandleA("kernel32.dll"), title)) << "the module given";
}
