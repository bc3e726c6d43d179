#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "support/StringTableData.h"
#include "ui/StringTable.h"

namespace
{

HINSTANCE Self()
{
    return GetModuleHandleA(NULL);
}

std::string Localized(UINT id, WORD language)
{
    C_StringTable strings(Self());
    return strings.LoadLocalizedString(id, NULL, language);
}

// A file next to the test program.
std::string BesideTheProgram(const char* name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

} // namespace

TEST(StringTable, EveryStringInEnglishAndGerman)
{
    for (const StringRow& row : kStringTable)
    {
        EXPECT_EQ(Cp1252Of(row.english), Localized(row.id, 1033)) << "string " << row.id;
        EXPECT_EQ(Cp1252Of(row.german), Localized(row.id, 1031)) << "string " << row.id;
    }
}

TEST(StringTable, AMissingStringIsAQuestionMark)
{
    EXPECT_EQ("?", Localized(23, 1033));
    EXPECT_EQ("?", Localized(23, 1031));
    EXPECT_EQ("?", Localized(41, 1031));
    EXPECT_EQ("?", Localized(5000, 1033));
}

TEST(StringTable, AustrianGermanFindsGermanAtTheDefaultSublanguage)
{
    EXPECT_EQ("Rho [Dichte Norm]", Localized(24, 3079));
    EXPECT_EQ("Identifikation", Localized(36, 0x0807)); // German (Switzerland)
}

TEST(StringTable, FrenchFallsThroughToTheNeutralLookup)
{
    // No French and no neutral strings exist: the neutral step yields the user's language (English here).
    EXPECT_EQ("Can't open Serial Port.", Localized(1, 1036));
    EXPECT_EQ("identification ", Localized(36, 1036));
}

TEST(StringTable, UserAndSystemDefaultStandForTheirLanguages)
{
    EXPECT_EQ(Localized(12, GetUserDefaultLangID()), Localized(12, LANG_USER_DEFAULT));
    EXPECT_EQ(Localized(12, GetSystemDefaultLangID()), Localized(12, LANG_SYSTEM_DEFAULT));
    EXPECT_EQ("damping", Localized(12, LANG_USER_DEFAULT));
}

TEST(StringTableGerman, UserDefaultIsGermanForAGermanUser)
{
    ASSERT_EQ(1031, GetUserDefaultLangID());
    EXPECT_EQ("D\xe4mpfung", Localized(12, LANG_USER_DEFAULT));
    C_StringTable strings(Self());
    EXPECT_STREQ("Abbruch", strings.LoadPlainString(20, NULL));
    EXPECT_STREQ("Bitte warten", strings.LoadPlainString(21, NULL));
}

TEST(StringTable, PlainStringsFollowThePlatformAndShareTheBuffer)
{
    C_StringTable strings(Self());
    const char* cancel = strings.LoadPlainString(20, NULL);
    EXPECT_STREQ("Cancel", cancel);
    const char* wait = strings.LoadPlainString(21, NULL);
    EXPECT_EQ(cancel, wait) << "lookups without a buffer share the object's buffer";
    EXPECT_STREQ("Please wait", wait);
    EXPECT_STREQ("?", strings.LoadPlainString(23, NULL));
}

TEST(StringTable, ACallersBufferIsNeverOverrun)
{
    C_StringTable strings(Self());
    char small[8];
    memset(small, 'x', sizeof(small));
    char guard[4] = {'g', 'g', 'g', 'g'};
    strings.LoadLocalizedString(1, small, 1033, 6);
    EXPECT_STREQ("Can't", small);
    EXPECT_EQ('x', small[6]);
    EXPECT_EQ('g', guard[0]);
    strings.LoadPlainString(1, small, 6);
    EXPECT_STREQ("Can't", small);
}

TEST(FindLocalizedResource, ReturnsDataAndSize)
{
    DWORD size = 0;
    const void* data = FindLocalizedResource(Self(), RT_STRING, MAKEINTRESOURCEA(1), 1031, &size);
    ASSERT_TRUE(data != NULL);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(NULL, FindLocalizedResource(Self(), RT_STRING, MAKEINTRESOURCEA(200), 1031, &size));
    // The dialogs exist only in German and are found through the neutral step.
    EXPECT_TRUE(FindLocalizedResource(Self(), RT_DIALOG, MAKEINTRESOURCEA(101), 0, NULL) != NULL);
    EXPECT_TRUE(FindLocalizedResource(Self(), RT_DIALOG, MAKEINTRESOURCEA(110), 1033, NULL) != NULL);
}

TEST(FormatTitle, CarriesTheProgramsVersion)
{
    char title[kTitleSize];
    EXPECT_STREQ("Karpolin [1.16]", FormatTitle("Karpolin", NULL, title));
}

TEST(FormatTitle, ReadsTheVersionOfTheModuleGiven)
{
    struct
    {
        const char* file;
        const char* title;
    } const cases[] = {{"version_1_5.dll", "X [1.05]"},
                       {"version_2.dll", "X [2.01]"},
                       {"version_english.dll", "X [3.07]"},
                       {"no_version.dll", "X [1.01]"}};
    for (const auto& c : cases)
    {
        HMODULE module = LoadLibraryA(BesideTheProgram(c.file).c_str());
        ASSERT_TRUE(module != NULL) << c.file;
        char title[kTitleSize];
        EXPECT_STREQ(c.title, FormatTitle("X", module, title)) << c.file;
        FreeLibrary(module);
    }
}

TEST(ReadFileVersion, GivesTheWholeTextAndKeepsPartsThatDoNotParse)
{
    UINT major = 7, minor = 8;
    char text[16];
    ASSERT_EQ(1,
              ReadFileVersion(BesideTheProgram("version_2.dll").c_str(), &major, &minor, text, sizeof(text)));
    EXPECT_EQ(2u, major);
    EXPECT_EQ(8u, minor);
    EXPECT_STREQ("2", text);
    EXPECT_EQ(0, ReadFileVersion(BesideTheProgram("no_version.dll").c_str(), &major, &minor));
    EXPECT_EQ(0, ReadFileVersion("Z:\\no\\such\\file.dll", &major, &minor));
    EXPECT_EQ(2u, major);
}

namespace
{

// A plain window with the program's German menu bar, to load menus into.
struct MenuWindow
{
    HWND window;
    MenuWindow()
    {
        window = CreateWindowExA(0, "STATIC", "menu owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL,
                                 Self(), NULL);
        SetMenu(window, LoadMenuA(Self(), MAKEINTRESOURCEA(103)));
    }
    ~MenuWindow() { DestroyWindow(window); }
    std::string FirstCaption() const
    {
        char text[64] = "";
        GetMenuStringA(GetMenu(window), 0, text, sizeof(text), MF_BYPOSITION);
        return text;
    }
};

} // namespace

TEST(C_Menu, LoadsOnlyTheExactLanguage)
{
    MenuWindow owner;
    C_Menu menu;
    ASSERT_EQ(1, menu.Attach(owner.window, 3, Self()));
    ASSERT_EQ(1, menu.LoadMenuForLanguage(103, 1031));
    EXPECT_NE(std::string::npos, owner.FirstCaption().find("Datei"));
    HMENU german = GetMenu(owner.window);

    EXPECT_EQ(0, menu.LoadMenuForLanguage(103, 3079));
    EXPECT_EQ(german, GetMenu(owner.window)) << "no fallback: the bar stays";
    EXPECT_EQ(0, menu.LoadMenuForLanguage(103, 1036));
    EXPECT_EQ(german, GetMenu(owner.window));

    ASSERT_EQ(1, menu.LoadMenuForLanguage(103, 1033));
    EXPECT_NE(german, GetMenu(owner.window));
    EXPECT_NE(std::string::npos, owner.FirstCaption().find("File"));
}

TEST(C_Menu, ChecksItemsOfEverySubmenuByCommand)
{
    MenuWindow owner;
    C_Menu menu;
    ASSERT_EQ(1, menu.Attach(owner.window, 3, Self()));
    ASSERT_EQ(1, menu.LoadMenuForLanguage(103, 1033));
    EXPECT_EQ(1, menu.CheckItem(40006, 1, 1)); // a port item, in another submenu
    EXPECT_EQ((UINT)MF_CHECKED, GetMenuState(GetMenu(owner.window), 40006, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(1, menu.CheckItem(40006, 1, 0));
    EXPECT_EQ(0u, GetMenuState(GetMenu(owner.window), 40006, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(0, menu.CheckItem(49999, 1, 1)) << "no such item";
    C_Menu none;
    EXPECT_EQ(0, none.Attach(owner.window, 9, Self()));
}
