#include <gtest/gtest.h>

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
        UINT id, language;
        const char* text;
    } rows[] = {{24, 3079, "Rho [Dichte Norm]"},      // German (Austria): the default sublanguage
                {36, 0x0807, "Identifikation"},       // German (Switzerland)
                {1, 1036, "Can't open Serial Port."}, // French: the neutral step gives the user's language
                {23, 1031, "?"},                      // a gap in a block
                {5000, 1033, "?"}};                   // no block in any language
    C_StringTable strings(kSelf);
    for (const auto& row : rows)
        EXPECT_STREQ(row.text, strings.LoadLocalizedString(row.id, NULL, (WORD)row.language)) << row.id;
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
        int language, loaded;
        const char* first; // the first popup's caption afterwards
    } rows[] = {{1031, 1, "Datei"}, {3079, 0, "Datei"}, {1036, 0, "Datei"}, {1033, 1, "File"}};
    for (const auto& row : rows)
    {
        HMENU before = GetMenu(owner);
        char caption[32] = "";
        EXPECT_TRUE(row.loaded == menu.LoadMenuForLanguage(103, (WORD)row.language) &&
                    row.loaded == (GetMenu(owner) != before))
            << row.language;
        EXPECT_EQ(!row.loaded, IsMenu(before)) << row.language << ": the replaced bar is destroyed";
        GetMenuStringA(GetMenu(owner), 0, caption, sizeof(caption), MF_BYPOSITION);
        EXPECT_STREQ(row.first, caption) << row.language;
    }
    // 40006, the port com2, lies in another submenu.
    EXPECT_TRUE(menu.CheckItem(40006, 1, 1) &&
                GetMenuState(GetMenu(owner), 40006, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.CheckItem(40006, 1, 0) &&
                !(GetMenuState(GetMenu(owner), 40006, MF_BYCOMMAND) & MF_CHECKED));
    EXPECT_TRUE(!menu.CheckItem(49999, 1, 1) && !C_Menu().Attach(owner, 9, kSelf))
        << "no such item or submenu";
    DestroyWindow(owner);
}

// The program's own version block (German table "040704b0", FileVersion "1.16" after FileDescription)
// with a same-length text replaced.
std::string OwnBlockWith(const std::wstring& from, const std::wstring& to)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string block(GetFileVersionInfoSizeA(path, NULL), '\0');
    GetFileVersionInfoA(path, 0, (DWORD)block.size(), &block[0]);
    size_t at = block.find(std::string((const char*)from.data(), from.size() * 2));
    return block.replace(at, from.size() * 2, (const char*)to.data(), to.size() * 2);
}

TEST(ParseFileVersion, ReadsTheFileVersionOfTheGermanOrElseTheEnglishTable)
{
    const struct
    {
        std::string block;
        int found;
        const char *text, *title;
    } rows[] = {{OwnBlockWith(L"1.16", L"1.16"), 1, "1.16", "X [1.16]"},
                {OwnBlockWith(L"1.16", std::wstring(L"7\0"
                                                    L"16",
                                                    4)),
                 1, "7", "X [7.01]"}, // the minor kept
                {OwnBlockWith(L"040704b0", L"040904B0"), 1, "1.16", "X [1.16]"},
                {OwnBlockWith(L"040704b0", L"040C04b0"), 0, "", "X [1.01]"},
                {OwnBlockWith(L"FileVersion", L"FileVersiom"), 0, "", "X [1.01]"}};
    for (const auto& row : rows)
    {
        UINT major = 1, minor = 1;
        char text[8] = "", title[kTitleSize];
        EXPECT_EQ(row.found,
                  ParseFileVersion(row.block.data(), (DWORD)row.block.size(), &major, &minor, text, 8));
        EXPECT_STREQ(row.text, text);
        EXPECT_STREQ(row.title, FormatTitle("X", major, minor, title));
    }
    // Cut before the end of that text, also with a root that claims only what is left, a block gives
    // nothing; neither does a file without one.
    UINT major = 7, minor = 8;
    C_GuardedBytes guarded;
    const size_t end = rows[0].block.find(std::string((const char*)L"1.16", 10)) + 10; // FileVersion's
    for (size_t size = 0; size < end; size++)
    {
        BYTE* cut = guarded.Place(rows[0].block.data(), size);
        EXPECT_EQ(0, ParseFileVersion(cut, (DWORD)size, &major, &minor)) << size;
        if (size >= 2)
            cut[0] = (BYTE)size, cut[1] = (BYTE)(size >> 8);
        EXPECT_EQ(0, ParseFileVersion(cut, (DWORD)size, &major, &minor)) << size;
    }
    EXPECT_TRUE(!ReadFileVersion("Z:\\no\\such\\file.dll", &major, &minor) && major == 7 && minor == 8);
    char title[kTitleSize];
    EXPECT_STREQ("Karpolin [1.16]", FormatTitle("Karpolin", NULL, title)) << "the program's own version";
    EXPECT_STRNE("X [1.16]", FormatTitle("X", GetModuleHandleA("kernel32.dll"), title)) << "the module given";
}
