#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "Resource.h"
#include "support/Heap.h"
#include "support/TestDialog.h"
#include "ui/FontTools.h"
#include "ui/Menu.h"
#include "ui/Resources.h"
#include "ui/StringTable.h"
#include "ui/TemplateFont.h"
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
    EXPECT_TRUE(!strcmp("Can't", strings.LoadPlainString(1, small, 6)) && small[6] == 'x');
    EXPECT_EQ(strings.LoadPlainString(20, NULL), strings.LoadPlainString(21, NULL))
        << "lookups share a buffer";
    EXPECT_STREQ("Please wait", strings.LoadPlainString(21, NULL)) << "the platform's language, English here";
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
    for (int checked : {1, 0}) // 40006, the port com2, lies in another submenu
        EXPECT_TRUE(menu.CheckItem(40006, 1, checked) &&
                    checked == !!(GetMenuState(GetMenu(owner), 40006, 0) & MF_CHECKED));
    EXPECT_TRUE(!menu.CheckItem(49999, 1, 1) && !C_Menu().Attach(owner, 9, kSelf))
        << "no such item or submenu";
    DestroyWindow(owner);
}

// A version block of the test program (1: its own, German table "040704b0" with FileVersion "1.16";
// 2: an English table with "3.7" and a German one with "2") with a same-length text replaced.
std::string VersionBlock(WORD id, const std::wstring& from = L"", const std::wstring& to = L"")
{
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(id), RT_VERSION);
    std::string block((const char*)LockResource(LoadResource(NULL, found)), SizeofResource(NULL, found));
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
    } rows[] = {{VersionBlock(1), 1, "1.16", "X [1.16]"},
                {VersionBlock(2), 1, "2", "X [2.01]"}, // the minor kept
                {VersionBlock(1, L"040704b0", L"040904B0"), 1, "1.16", "X [1.16]"},
                {VersionBlock(1, L"040704b0", L"040C04b0"), 0, "", "X [1.01]"},
                {VersionBlock(1, L"FileVersion", L"FileVersiom"), 0, "", "X [1.01]"}};
    for (const auto& row : rows)
    {
        UINT major = 1, minor = 1;
        char text[8] = "", title[kTitleSize];
        EXPECT_EQ(row.found,
                  ParseFileVersion(row.block.data(), (DWORD)row.block.size(), &major, &minor, text, 8));
        EXPECT_STREQ(row.text, text);
        EXPECT_STREQ(row.title, FormatTitle("X", major, minor, title));
    }
    // Cut before that text ends, also with a root that claims only what is left: nothing.
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

TEST(ChooseTemplateFont, FollowsTheMessageFontOfThreeFacesAndElseTheShellFont)
{
    const struct
    {
        const wchar_t *templateFace, *face; // face: null for no change
        const char* messageFace;            // null: the metrics could not be read
        int height, dpi, exists, shellDlg2, points;
    } rows[] = {
        {L"MS Sans Serif", L"Tahoma", "Tahoma", -11, 96, 1, 1, 8},
        {L"MS Shell Dlg", L"Segoe UI", "Segoe UI", -12, 96, 1, 1, 9},
        {L"System", L"MS Sans Serif", "MS Sans Serif", -11, 96, 1, 1, 8},
        {L"MS Sans Serif", L"Tahoma", "Tahoma", -13, 120, 1, 1, 8}, // 7.8 rounds to 8
        {L"MS Sans Serif", L"MS Shell Dlg 2", "Missing Face", -11, 96, 0, 1, 8},
        {L"MS Sans Serif", L"MS Shell Dlg", "Missing Face", -11, 96, 0, 0, 8},
        {L"MS Sans Serif", NULL, "Verdana", -11, 96, 1, 1, 0},
        {L"MS Sans Serif", NULL, "tahoma", -11, 96, 1, 1, 0}, // the comparisons are exact
        {L"ms sans serif", NULL, "Tahoma", -11, 96, 1, 1, 0},
        {L"MS Shell Dlg 2", NULL, "Tahoma", -11, 96, 1, 1, 0},
        {NULL, NULL, "Tahoma", -11, 96, 1, 1, 0},
        {L"MS Sans Serif", NULL, NULL, -11, 96, 1, 1, 0},
        {L"MS Sans Serif", NULL, "Tahoma", 11, 96, 1, 1, 0}, // a cell height gives no point size
        {L"MS Sans Serif", NULL, "Tahoma", 0, 96, 1, 1, 0},
        {L"MS Sans Serif", NULL, "Tahoma", -11, 0, 1, 1, 0},
    };
    for (const auto& row : rows)
    {
        LOGFONTA font = {};
        font.lfHeight = row.height;
        strcpy(font.lfFaceName, row.messageFace ? row.messageFace : "");
        TemplateFontChoice choice = ChooseTemplateFont(row.templateFace, row.messageFace ? &font : NULL,
                                                       row.dpi, row.exists, row.shellDlg2);
        EXPECT_TRUE(row.face ? choice.change && !wcscmp(row.face, choice.face)
                             : !choice.change && !choice.face[0])
            << "row " << &row - rows;
        EXPECT_EQ(row.points, choice.pointSize) << "row " << &row - rows;
    }
}

// The main window's template (classic, with a menu ordinal and a title), one with a menu and a class
// ordinal and no title, and an extended one (910: weight, italic and character set follow the point size).
TEST(RewriteTemplateFont, ReplacesFaceAndPointSizeAndMovesTheItemsInBothLayouts)
{
    for (WORD id : {IDD_MAIN, 9004, 910})
    {
        DWORD size = 0;
        const BYTE* source =
            (const BYTE*)FindLocalizedResource(NULL, RT_DIALOG, MAKEINTRESOURCEA(id), 0, &size);
        const wchar_t* old = TemplateFontFace(source, size);
        ASSERT_STREQ(L"MS Sans Serif", old) << id;
        size_t face = (const BYTE*)old - source, items = (face + 28 + 3) & ~3u,
               points = face - (id == 910 ? 6 : 2);
        for (const wchar_t* name : {L"A", L"Tahoma", L"MS Shell Dlg 2"}) // either parity of length
        {
            std::string expected((const char*)source, face);
            expected[points] = 9;
            expected.append((const char*)name, wcslen(name) * 2 + 2).resize((expected.size() + 3) & ~3u);
            expected.append((const char*)source + items, size - items);
            void* copy = RewriteTemplateFont(source, size, name, 9);
            EXPECT_TRUE(copy && !memcmp(copy, expected.data(), expected.size())) << id;
            free(copy);
        }
        C_GuardedBytes guarded; // cut short, the template gives no face
        for (DWORD cut = 0; cut < face + 28; cut++)
            EXPECT_EQ(NULL, TemplateFontFace(guarded.Place(source, cut), cut)) << "cut at " << cut;
    }
    DWORD size = 0;
    const void* noFont = FindLocalizedResource(NULL, RT_DIALOG, MAKEINTRESOURCEA(9003), 0, &size);
    EXPECT_TRUE(noFont && !TemplateFontFace(noFont, size) && !FixTemplateFont(noFont, size) &&
                !RewriteTemplateFont(noFont, size, L"Tahoma", 8));
}

// The system's dialog checks the structure size of the target; confirmed, it gives a family that exists.
TEST(C_FontTools, ChooseFontOpensTheSystemDialogAndFontFamilyExistsFindsOnlyWhatExists)
{
    LOGFONTA font = {};
    C_BoxAnswerer answerer(IDOK);
    ASSERT_EQ(1, C_FontTools::ChooseFont(&font, NULL))
        << "dialog error 0x" << std::hex << CommDlgExtendedError();
    EXPECT_TRUE(font.lfFaceName[0] && C_FontTools::FontFamilyExists(font.lfFaceName, DEFAULT_CHARSET))
        << "'" << font.lfFaceName << "'";
    EXPECT_EQ(0, C_FontTools::FontFamilyExists("No Such Family Anywhere", DEFAULT_CHARSET));
    // A name longer than a face name can be is cut, never copied past its field.
    EXPECT_EQ(0, C_FontTools::FontFamilyExists(std::string(200, 'T').c_str(), DEFAULT_CHARSET));
}
