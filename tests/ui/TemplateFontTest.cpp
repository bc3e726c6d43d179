#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "Resource.h"
#include "support/Heap.h"
#include "support/TestDialog.h"
#include "ui/FontTools.h"
#include "ui/Resources.h"
#include "ui/TemplateFont.h"

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

// The main window's template (classic, with a menu ordinal and a title), the about box's (no title) and
// an extended one (910, whose weight, italic and character set follow the point size): all but point
// size and face are kept, and the items move to the next 4-byte boundary.
TEST(RewriteTemplateFont, ReplacesFaceAndPointSizeAndMovesTheItemsInBothLayouts)
{
    for (WORD id : {IDD_MAIN, IDD_ABOUT, 910})
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
