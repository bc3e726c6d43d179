#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "support/Heap.h"
#include "ui/FontTools.h"
#include "ui/TemplateFont.h"

namespace
{

// A dialog template byte by byte, in either layout: menu, class and title (ordinals of 0 still take
// four bytes), the font (extended: weight 700, character set 0xA1) and two buttons on 4-byte
// boundaries.
struct Template
{
    std::vector<BYTE> bytes;
    size_t pointSize = 0, fontEnd = 0;

    Template(bool extended, DWORD style, bool ordinalMenu, bool ordinalClass, const wchar_t* title,
             const wchar_t* face = L"MS Sans Serif", WORD points = 8)
    {
        extended ? (Word(1), Word(0xFFFF), Dword(0), Dword(0), Dword(style)) : (Dword(style), Dword(0));
        Word(2), Word(0), Word(0), Word(160), Word(80);
        ordinalMenu ? (Word(0xFFFF), Word(0)) : Word(0);
        ordinalClass ? (Word(0xFFFF), Word(0)) : Word(0);
        String(title), pointSize = bytes.size();
        if (style & DS_SETFONT)
            Word(points), extended ? (Word(700), Word(0xA101)) : void(), String(face);
        fontEnd = bytes.size();
        for (WORD id : {1234, 1235})
        {
            bytes.resize((bytes.size() + 3) & ~3u);
            extended ? (Dword(0), Dword(0), Dword(WS_CHILD | WS_VISIBLE))
                     : (Dword(WS_CHILD | WS_VISIBLE), Dword(0));
            Word(10), Word(10), Word(50), Word(14), extended ? Dword(id) : Word(id);
            Word(0xFFFF), Word(0x0080), String(id == 1234 ? L"Go" : L"Stop"), Word(0); // a button
        }
    }
    void Word(WORD value) { bytes.push_back((BYTE)value), bytes.push_back((BYTE)(value >> 8)); }
    void Dword(DWORD value) { Word((WORD)value), Word((WORD)(value >> 16)); }
    void String(const wchar_t* text)
    {
        bytes.insert(bytes.end(), (const BYTE*)text, (const BYTE*)(text + wcslen(text) + 1));
    }
    DWORD Size() const { return (DWORD)bytes.size(); }
};

const DWORD kStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION;

} // namespace

TEST(ChooseTemplateFont, FollowsTheMessageFontOfThreeFacesAndElseTheShellFont)
{
    const struct
    {
        const wchar_t* templateFace;
        const char* messageFace; // null: the metrics could not be read
        LONG height;
        int dpi, exists, shellDlg2;
        const wchar_t* face; // null: no change
        WORD points;
    } rows[] = {
        {L"MS Sans Serif", "Tahoma", -11, 96, 1, 1, L"Tahoma", 8},
        {L"MS Shell Dlg", "Segoe UI", -12, 96, 1, 1, L"Segoe UI", 9},
        {L"System", "MS Sans Serif", -11, 96, 1, 1, L"MS Sans Serif", 8},
        {L"MS Sans Serif", "Tahoma", -13, 120, 1, 1, L"Tahoma", 8}, // 7.8 rounds to 8
        {L"MS Sans Serif", "Missing Face", -11, 96, 0, 1, L"MS Shell Dlg 2", 8},
        {L"MS Sans Serif", "Missing Face", -11, 96, 0, 0, L"MS Shell Dlg", 8},
        {L"MS Sans Serif", "Verdana", -11, 96, 1, 1, NULL, 0},
        {L"MS Sans Serif", "tahoma", -11, 96, 1, 1, NULL, 0}, // the comparisons are exact
        {L"ms sans serif", "Tahoma", -11, 96, 1, 1, NULL, 0},
        {L"MS Shell Dlg 2", "Tahoma", -11, 96, 1, 1, NULL, 0},
        {NULL, "Tahoma", -11, 96, 1, 1, NULL, 0},
        {L"MS Sans Serif", NULL, -11, 96, 1, 1, NULL, 0},
        {L"MS Sans Serif", "Tahoma", 11, 96, 1, 1, NULL, 0}, // a cell height gives no point size
        {L"MS Sans Serif", "Tahoma", 0, 96, 1, 1, NULL, 0},
        {L"MS Sans Serif", "Tahoma", -11, 0, 1, 1, NULL, 0},
    };
    for (const auto& row : rows)
    {
        LOGFONTA font = {};
        font.lfHeight = row.height;
        strcpy(font.lfFaceName, row.messageFace ? row.messageFace : "");
        TemplateFontChoice choice = ChooseTemplateFont(row.templateFace, row.messageFace ? &font : NULL,
                                                       row.dpi, row.exists, row.shellDlg2);
        SCOPED_TRACE(std::string(font.lfFaceName) + " " + std::to_string(row.height) + " at " +
                     std::to_string(row.dpi));
        EXPECT_EQ(row.face != NULL, choice.change);
        EXPECT_STREQ(row.face ? row.face : L"", choice.face);
        EXPECT_EQ(row.points, choice.pointSize);
    }
}

TEST(RewriteTemplateFont, BothLayoutsWithEveryKindOfField)
{
    const struct
    {
        bool extended, ordinalMenu, ordinalClass;
        const wchar_t* title;
    } shapes[] = {
        {false, false, false, L"Title"}, {false, true, true, L""},  {true, false, false, L"A longer title"},
        {true, true, false, L""},        {true, false, true, L"T"}, {false, true, false, L"Odd"}};
    for (const auto& shape : shapes)
    {
        Template source(shape.extended, kStyle, shape.ordinalMenu, shape.ordinalClass, shape.title);
        EXPECT_STREQ(L"MS Sans Serif", TemplateFontFace(source.bytes.data(), source.Size()));
        for (const wchar_t* face : {L"A", L"Tahoma", L"MS Shell Dlg 2"}) // either parity of length
        {
            // As if made with that font: all but point size and face kept, the items moved to the next
            // 4-byte boundary.
            Template expected(shape.extended, kStyle, shape.ordinalMenu, shape.ordinalClass, shape.title,
                              face, 9);
            BYTE* copy = (BYTE*)RewriteTemplateFont(source.bytes.data(), source.Size(), face, 9);
            ASSERT_TRUE(copy != NULL);
            EXPECT_EQ(0, memcmp(copy, expected.bytes.data(), expected.Size())) << shape.title;
            free(copy);
        }
    }
    Template noFont(false, kStyle & ~DS_SETFONT, false, false, L"No font");
    EXPECT_EQ(NULL, TemplateFontFace(noFont.bytes.data(), noFont.Size()));
    EXPECT_EQ(NULL, RewriteTemplateFont(noFont.bytes.data(), noFont.Size(), L"Tahoma", 8));
    EXPECT_EQ(NULL, FixTemplateFont(noFont.bytes.data(), noFont.Size()));
    Template cut(true, kStyle, false, false, L"Cut short");
    C_GuardedBytes guarded;
    for (DWORD size = 0; size < cut.fontEnd; size++)
        EXPECT_EQ(NULL, TemplateFontFace(guarded.Place(cut.bytes.data(), size), size)) << "cut at " << size;
}

namespace
{

int CALLBACK TakeFirstFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM name)
{
    return strcpy(reinterpret_cast<char*>(name), font->lfFaceName), 0;
}

VOID CALLBACK PressOk(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowA("#32770", NULL);
    if (dialog && GetWindowThreadProcessId(dialog, NULL) == GetCurrentThreadId())
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST(C_FontTools, FontFamilyExistsAndChooseFontOpensTheSystemDialog)
{
    char present[LF_FACESIZE] = "";
    LOGFONTA font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(NULL);
    EnumFontFamiliesExA(screen, &font, TakeFirstFamily, reinterpret_cast<LPARAM>(present), 0);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(1, C_FontTools::FontFamilyExists(present, DEFAULT_CHARSET)) << "'" << present << "'";
    EXPECT_EQ(0, C_FontTools::FontFamilyExists("No Such Family Anywhere", DEFAULT_CHARSET));
    // A name longer than a face name can be is cut, never copied past its field.
    EXPECT_EQ(0, C_FontTools::FontFamilyExists(std::string(200, 'T').c_str(), DEFAULT_CHARSET));

    // The system's dialog checks the structure size of the target; its modal loop runs the timer
    // that confirms it.
    UINT_PTR timer = SetTimer(NULL, 0, 50, PressOk);
    EXPECT_EQ(1, C_FontTools::ChooseFont(&font, NULL))
        << "dialog error 0x" << std::hex << CommDlgExtendedError();
    KillTimer(NULL, timer);
}
