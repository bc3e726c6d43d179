#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include "support/Templates.h"
#include "ui/FontTools.h"

namespace
{

const DWORD kStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION;

LOGFONTA MessageFont(const char* face, LONG height)
{
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    strcpy(font.lfFaceName, face);
    font.lfHeight = height;
    return font;
}

// The caption of button 1234 of a real dialog made from the template; "" when none could be made.
std::string MadeCaption(const DLGTEMPLATE* dialogTemplate)
{
    HWND window = CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplate, NULL, NULL, 0);
    char text[64] = "";
    GetDlgItemTextA(window, 1234, text, sizeof(text));
    DestroyWindow(window);
    return text;
}

} // namespace

TEST(ChooseTemplateFont, FollowsTheMessageFont)
{
    struct
    {
        const char* face;
        LONG height;
        int dpi;
        int exists;
        int shellDlg2;
        int change;
        const wchar_t* newFace;
        WORD points;
    } const rows[] = {
        {"Tahoma", -11, 96, 1, 1, 1, L"Tahoma", 8},
        {"Segoe UI", -12, 96, 1, 1, 1, L"Segoe UI", 9},
        {"MS Sans Serif", -11, 96, 1, 1, 1, L"MS Sans Serif", 8},
        {"Verdana", -11, 96, 1, 1, 0, L"", 0},
        {"Missing Face", -11, 96, 0, 1, 1, L"MS Shell Dlg 2", 8},
        {"Missing Face", -11, 96, 0, 0, 1, L"MS Shell Dlg", 8},
        {"Tahoma", -13, 120, 1, 1, 1, L"Tahoma", 8},
        {"Segoe UI", -16, 120, 1, 1, 1, L"Segoe UI", 10},
        {"tahoma", -11, 96, 1, 1, 0, L"", 0}, // the comparison is exact
    };
    for (const auto& row : rows)
    {
        LOGFONTA font = MessageFont(row.face, row.height);
        TemplateFontChoice choice =
            ChooseTemplateFont(L"MS Sans Serif", &font, row.dpi, row.exists, row.shellDlg2);
        EXPECT_EQ(row.change, choice.change) << row.face << " " << row.height << " at " << row.dpi;
        if (row.change)
        {
            EXPECT_STREQ(row.newFace, choice.face) << row.face;
            EXPECT_EQ(row.points, choice.pointSize) << row.face << " " << row.height << " at " << row.dpi;
        }
    }
}

TEST(ChooseTemplateFont, OnlyOldStyleTemplateFacesAreReplacedAndOnlyWithMetrics)
{
    LOGFONTA font = MessageFont("Tahoma", -11);
    EXPECT_EQ(0, ChooseTemplateFont(L"MS Sans Serif", NULL, 96, 1, 1).change)
        << "unreadable metrics: no copy";
    EXPECT_EQ(1, ChooseTemplateFont(L"MS Shell Dlg", &font, 96, 1, 1).change);
    EXPECT_EQ(1, ChooseTemplateFont(L"System", &font, 96, 1, 1).change);
    EXPECT_EQ(0, ChooseTemplateFont(L"MS Shell Dlg 2", &font, 96, 1, 1).change);
    EXPECT_EQ(0, ChooseTemplateFont(L"Arial", &font, 96, 1, 1).change);
    EXPECT_EQ(0, ChooseTemplateFont(L"ms sans serif", &font, 96, 1, 1).change);
    EXPECT_EQ(0, ChooseTemplateFont(NULL, &font, 96, 1, 1).change);
}

TEST(RewriteTemplateFont, BothLayoutsWithEveryKindOfField)
{
    struct
    {
        bool extended;
        bool ordinalMenu;
        bool ordinalClass;
        const wchar_t* title;
    } const shapes[] = {
        {false, false, false, L"Title"}, {false, true, true, L""},  {true, false, false, L"A longer title"},
        {true, true, false, L""},        {true, false, true, L"T"}, {false, true, false, L"Odd"},
    };
    const wchar_t* const faces[] = {L"Tahoma", L"Segoe UI", L"MS Shell Dlg 2", L"A", L"MS Sans Serif"};
    for (const auto& shape : shapes)
    {
        C_TemplateBuilder builder(shape.extended, kStyle);
        if (shape.ordinalMenu)
            builder.Ordinal(0); // an ordinal menu id of 0 still takes four bytes
        else
            builder.String(L"");
        if (shape.ordinalClass)
            builder.Ordinal(0);
        else
            builder.String(L"");
        builder.String(shape.title).Font(8, L"MS Sans Serif").Item(1234, L"Go").Item(1235, L"Stop");
        const std::vector<BYTE>& source = builder.Bytes();

        const wchar_t* face = TemplateFontFace(source.data(), (DWORD)source.size());
        ASSERT_TRUE(face != NULL);
        EXPECT_STREQ(L"MS Sans Serif", face);

        for (const wchar_t* newFace : faces)
        {
            DLGTEMPLATE* copy = RewriteTemplateFont(source.data(), (DWORD)source.size(), newFace, 9);
            ASSERT_TRUE(copy != NULL);
            const BYTE* bytes = reinterpret_cast<const BYTE*>(copy);
            // Everything before the face is kept, but the point size.
            size_t faceOffset = builder.PointOffset() + (shape.extended ? 6 : 2);
            EXPECT_EQ(9, bytes[builder.PointOffset()] | (bytes[builder.PointOffset() + 1] << 8));
            EXPECT_EQ(0, memcmp(bytes, source.data(), builder.PointOffset()));
            EXPECT_EQ(0, memcmp(bytes + builder.PointOffset() + 2, source.data() + builder.PointOffset() + 2,
                                faceOffset - builder.PointOffset() - 2))
                << "weight, italic and character set stay";
            EXPECT_STREQ(newFace, reinterpret_cast<const wchar_t*>(bytes + faceOffset));
            // The items follow at the next 4-byte boundary, unchanged.
            size_t items = (faceOffset + (wcslen(newFace) + 1) * 2 + 3) & ~(size_t)3;
            EXPECT_EQ(0u, items % 4);
            EXPECT_EQ(0, memcmp(bytes + items, source.data() + builder.FirstItem(),
                                source.size() - builder.FirstItem()))
                << "items moved";

            // The dialog manager must accept the copy (it cannot load an ordinal menu or class of 0).
            if (!shape.ordinalMenu && !shape.ordinalClass)
            {
                EXPECT_EQ("Go", MadeCaption(copy)) << (shape.extended ? "ex " : "classic ") << shape.title;
            }
            free(copy);
        }
    }
}

TEST(RewriteTemplateFont, NoFontOrABrokenTemplateMakesNoCopy)
{
    C_TemplateBuilder noFont(false, kStyle & ~DS_SETFONT);
    noFont.String(L"").String(L"").String(L"No font").Item(1234, L"Go");
    EXPECT_EQ(NULL, TemplateFontFace(noFont.Bytes().data(), (DWORD)noFont.Bytes().size()));
    EXPECT_EQ(NULL, RewriteTemplateFont(noFont.Bytes().data(), (DWORD)noFont.Bytes().size(), L"Tahoma", 8));
    EXPECT_EQ(NULL, FixTemplateFont(noFont.Bytes().data(), (DWORD)noFont.Bytes().size()));

    C_TemplateBuilder cut(true, kStyle);
    cut.String(L"").String(L"").String(L"Cut short").Font(8, L"MS Sans Serif");
    std::vector<BYTE> bytes = cut.Bytes();
    for (size_t size = 0; size + 2 < bytes.size(); size++)
        EXPECT_EQ(NULL, TemplateFontFace(bytes.data(), (DWORD)size)) << "size " << size;
}

int CALLBACK TakeFirstFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM name)
{
    strcpy(reinterpret_cast<char*>(name), font->lfFaceName);
    return 0;
}

TEST(FixTemplateFont, FeedsThisSystemsMessageFontIntoTheDecision)
{
    NONCLIENTMETRICSA metrics;
    memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    TemplateFontChoice expected =
        ChooseTemplateFont(L"MS Sans Serif", &metrics.lfMessageFont, dpi,
                           C_FontTools::FontFamilyExists(metrics.lfMessageFont.lfFaceName, DEFAULT_CHARSET),
                           C_FontTools::FontFamilyExists("MS Shell Dlg 2", DEFAULT_CHARSET));
    ASSERT_EQ(1, expected.change) << "message font " << metrics.lfMessageFont.lfFaceName;

    C_TemplateBuilder builder(false, kStyle);
    builder.String(L"").String(L"").String(L"Fixed").Font(8, L"MS Sans Serif").Item(1234, L"Go");
    DLGTEMPLATE* copy = FixTemplateFont(builder.Bytes().data(), (DWORD)builder.Bytes().size());
    ASSERT_TRUE(copy != NULL);
    EXPECT_STREQ(expected.face, TemplateFontFace(copy, (DWORD)builder.Bytes().size() + 64));
    EXPECT_EQ("Go", MadeCaption(copy));
    free(copy);

    C_TemplateBuilder modern(false, kStyle);
    modern.String(L"").String(L"").String(L"Kept").Font(8, L"MS Shell Dlg 2").Item(1234, L"Go");
    EXPECT_EQ(NULL, FixTemplateFont(modern.Bytes().data(), (DWORD)modern.Bytes().size()));
}

TEST(C_FontTools, FontFamilyExists)
{
    char present[LF_FACESIZE] = "";
    HDC screen = GetDC(NULL);
    LOGFONTA all;
    memset(&all, 0, sizeof(all));
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen, &all, TakeFirstFamily, reinterpret_cast<LPARAM>(present), 0);
    ReleaseDC(NULL, screen);
    ASSERT_NE(0, present[0]) << "this system has no fonts at all";

    EXPECT_EQ(1, C_FontTools::FontFamilyExists(present, DEFAULT_CHARSET)) << present;
    EXPECT_EQ(0, C_FontTools::FontFamilyExists("No Such Family Anywhere", DEFAULT_CHARSET));
    // A name longer than a face name can be is cut, never copied past its field.
    std::string longName(200, 'T');
    EXPECT_EQ(0, C_FontTools::FontFamilyExists(longName.c_str(), DEFAULT_CHARSET));
}

// The system's font dialog checks the structure size of the target it runs on; confirmed, it answers 1.
TEST(C_FontTools, ChooseFontOpensTheSystemDialog)
{
    volatile LONG done = 0;
    std::thread pressOk(
        [&done]
        {
            for (int i = 0; i < 500 && !done; i++, Sleep(20))
            {
                HWND dialog = FindWindowA("#32770", NULL);
                DWORD process = 0;
                if (dialog && GetWindowThreadProcessId(dialog, &process) && process == GetCurrentProcessId())
                {
                    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                    return;
                }
            }
        });
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfHeight = -11;
    strcpy(font.lfFaceName, "Tahoma");
    const int chosen = C_FontTools::ChooseFont(&font, NULL);
    const DWORD error = CommDlgExtendedError();
    done = 1;
    pressOk.join();
    EXPECT_EQ(1, chosen) << "dialog error 0x" << std::hex << error;
}
