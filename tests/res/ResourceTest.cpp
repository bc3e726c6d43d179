// The compiled resource script, as this test program carries it (the same object as Karpolin.exe's):
// which resources exist in which language, and what the code relies on in each of them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <regex>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "support/StringTableData.h"
#include "res/Resource.h"

namespace
{

const WORD kGerman = 1031, kEnglish = 1033;
const LPCSTR kManifestType = MAKEINTRESOURCEA(24);
const HMODULE kSelf = GetModuleHandleA(NULL);

// The bytes of the resource in exactly `language` (0: the platform's choice); empty when there is none.
std::string Find(LPCSTR type, UINT id, WORD language)
{
    HRSRC info = FindResourceExA(kSelf, type, MAKEINTRESOURCEA(id), language);
    const char* data = info ? static_cast<const char*>(LockResource(LoadResource(kSelf, info))) : NULL;
    return data ? std::string(data, SizeofResource(kSelf, info)) : std::string();
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR set)
{
    reinterpret_cast<std::set<WORD>*>(set)->insert(language);
    return TRUE;
}

std::set<WORD> Languages(LPCSTR type, UINT id)
{
    std::set<WORD> languages;
    EnumResourceLanguagesA(kSelf, type, MAKEINTRESOURCEA(id), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

template <typename T>
T Read(const std::string& bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

TEST(Resources, ExistInExactlyTheirLanguages)
{
    const std::set<WORD> both = {kGerman, kEnglish}, german = {kGerman};
    EXPECT_EQ(both, Languages(RT_MENU, IDM_MAIN));
    for (UINT block : {1, 2, 3}) // strings 1 to 40, sixteen to a block
        EXPECT_EQ(both, Languages(RT_STRING, block)) << block;
    EXPECT_TRUE(Languages(RT_STRING, 4).empty());
    for (UINT id : {IDB_ABOUT, IDB_CELL_BRIGHT, IDB_CELL_DIM, IDB_CELL_MEDIUM})
        EXPECT_EQ(german, Languages(RT_BITMAP, id)) << id;
    EXPECT_EQ(german, Languages(RT_GROUP_ICON, IDI_PROGRAM));
    EXPECT_EQ(german, Languages(RT_GROUP_ICON, IDI_ROW));
    EXPECT_EQ(german, Languages(RT_GROUP_CURSOR, IDC_LINK_CURSOR));
    EXPECT_EQ(german, Languages(RT_VERSION, 1));
    EXPECT_EQ(german, Languages(kManifestType, 1));
    for (UINT id : {IDD_MAIN, IDD_ABOUT, IDD_PROGRESS})
    {
        EXPECT_EQ(german, Languages(RT_DIALOG, id)) << id;
        std::string neutral = Find(RT_DIALOG, id, 0); // how the code looks dialogs up
        EXPECT_TRUE(!neutral.empty() && neutral == Find(RT_DIALOG, id, kGerman)) << id;
    }
}

// String `id` in exactly `language`: entry id % 16 of its block, each entry a count and UTF-16 units.
bool ReadString(UINT id, WORD language, std::wstring* text)
{
    std::string block = Find(RT_STRING, id / 16 + 1, language);
    size_t at = 0;
    for (UINT index = 0; index < id % 16 && at + 2 <= block.size(); ++index)
        at += 2 + 2 * Read<WORD>(block, at);
    WORD count = at + 2 <= block.size() ? Read<WORD>(block, at) : 0;
    if (count == 0 || at + 2 + 2 * count > block.size())
        return false;
    text->assign(reinterpret_cast<const wchar_t*>(block.data() + at + 2), count);
    return true;
}

std::string ToAnsi(const std::wstring& text)
{
    char buffer[600];
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), buffer, sizeof buffer, NULL, NULL);
    return std::string(buffer, n > 0 ? n : 0);
}

// The table's umlauts, "°" and the trailing blank of 36 prove that the UTF-8 script reaches the resource
// as the right UTF-16 and comes back through code page 1252 byte for byte.
TEST(Strings, EveryTextInBothLanguagesThroughCodePage1252AndNoOthers)
{
    ASSERT_EQ(1252u, GetACP());
    for (WORD language : {kEnglish, kGerman})
    {
        std::wstring text;
        std::set<UINT> listed;
        for (const StringRow& row : kStringTable)
        {
            std::wstring wanted = language == kEnglish ? row.english : row.german;
            ASSERT_TRUE(ReadString(row.id, language, &text)) << row.id << " in " << language;
            EXPECT_TRUE(text == wanted) << "string " << row.id << " in " << language;
            EXPECT_EQ(Cp1252Of(wanted), ToAnsi(text)) << "string " << row.id << " in " << language;
            listed.insert(row.id);
        }
        for (UINT id = 0; id < 64; ++id) // no others: 0, 23 and 41 onwards are absent
            EXPECT_TRUE(listed.count(id) || !ReadString(id, language, &text)) << id << " in " << language;
    }
}

// The commands of menu 103 by popup: the code finds the port and configuration popups by position.
const UINT kPopupCommands[5][8] = {
    {IDM_OPEN, IDM_CLOSE, IDM_SAVE, IDM_EXIT},
    {IDM_SYNCHRONIZATION, IDM_RESET},
    {IDM_PORT1, IDM_PORT2, IDM_PORT3, IDM_PORT4, IDM_PORT5, IDM_PORT6, IDM_PORT7, IDM_PORT8},
    {IDM_STANDARD_FONT, IDM_SELECT_FONT, IDM_SIMPLE_CUBIC_METER, IDM_BAUD_1200, IDM_ENGLISH, IDM_GERMAN},
    {IDM_INFO}};

TEST(Menu, EveryCommandInItsPopupInBothLanguages)
{
    for (WORD language : {kEnglish, kGerman})
    {
        SCOPED_TRACE(language);
        std::string resource = Find(RT_MENU, IDM_MAIN, language);
        HMENU bar = resource.empty() ? NULL : LoadMenuIndirectA(resource.data());
        ASSERT_NE(nullptr, bar);
        EXPECT_EQ(5, GetMenuItemCount(bar));
        for (int popup = 0; popup < 5; ++popup)
        {
            HMENU menu = GetSubMenu(bar, popup);
            ASSERT_NE(nullptr, menu) << popup;
            for (UINT id : kPopupCommands[popup])
                EXPECT_TRUE(id == 0 || GetMenuState(menu, id, MF_BYCOMMAND) != (UINT)-1)
                    << id << " in " << popup;
        }
        char close[32] = "";
        GetMenuStringA(bar, IDM_CLOSE, close, sizeof close, MF_BYCOMMAND);
        EXPECT_STREQ(language == kGerman ? "Schlie\337en" : "Close", close);
        DestroyMenu(bar);
    }
}

// The controls the code addresses in 104, 110 and 101. The group boxes (1048 to 1052) and the cancel
// button (1044) are buttons, 1009 is the list view, all others are statics.
const std::vector<int> kControls[] = {{1043}, {1044}, {1009, 1010, 1011, 1012, 1014, 1016, 1017, 1019,
                                                       1020, 1021, 1022, 1023, 1024, 1025, 1027, 1028,
                                                       1029, 1030, 1031, 1032, 1033, 1035, 1036, 1037,
                                                       1038, 1046, 1047, 1048, 1049, 1050, 1052}};

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(Dialogs, OpenWithTheirSizeFontAndTheControlsTheCodeAddresses)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    HDC screen = GetDC(NULL);
    const LONG eightPoint = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);
    const int rows[][3] = {{IDD_ABOUT, 357, 307}, {IDD_PROGRESS, 321, 25}, {IDD_MAIN, 486, 324}};
    for (int n = 0; n < 3; ++n)
    {
        const int* row = rows[n];
        SCOPED_TRACE(row[0]);
        // the classic layout: the style first, the size at byte 14
        std::string layout = Find(RT_DIALOG, row[0], kGerman);
        ASSERT_LE(18u, layout.size());
        EXPECT_TRUE(Read<DWORD>(layout, 0) & DS_SETFONT);
        EXPECT_EQ(row[1], Read<short>(layout, 14));
        EXPECT_EQ(row[2], Read<short>(layout, 16));

        HWND dialog = CreateDialogParamA(kSelf, MAKEINTRESOURCEA(row[0]), NULL, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog);
        LOGFONTA font = {};
        GetObjectA((HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0), sizeof font, &font);
        EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
        EXPECT_EQ(eightPoint, font.lfHeight);
        for (int control : kControls[n])
        {
            char name[32] = "";
            GetClassNameA(GetDlgItem(dialog, control), name, sizeof name);
            const bool button = control == 1044 || control >= 1048;
            EXPECT_STREQ(control == 1009 ? "SysListView32" : button ? "Button" : "Static", name) << control;
        }
        if (row[0] == IDD_MAIN)
        {
            EXPECT_EQ(5, GetMenuItemCount(GetMenu(dialog)));
            LONG style = GetWindowLongA(GetDlgItem(dialog, IDC_POINT_LIST), GWL_STYLE);
            EXPECT_EQ(LVS_REPORT | LVS_NOSORTHEADER, style & (LVS_TYPEMASK | LVS_NOSORTHEADER));
        }
        if (row[0] == IDD_ABOUT) // the static loaded bitmap 106 from the template's ordinal
        {
            LRESULT image = SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
            BITMAP picture = {};
            ASSERT_NE(0, GetObjectA((HBITMAP)image, sizeof picture, &picture));
            EXPECT_EQ(535, picture.bmWidth);
            EXPECT_EQ(393, picture.bmHeight);
        }
        DestroyWindow(dialog);
    }
}

TEST(Pictures, EightBitWithTheirSizesAndCellsDarkerFromBrightOverMediumToDim)
{
    const int rows[][3] = {
        {IDB_ABOUT, 535, 393}, {IDB_CELL_BRIGHT, 8, 13}, {IDB_CELL_MEDIUM, 8, 13}, {IDB_CELL_DIM, 8, 13}};
    double previous = 1e9;
    for (const int* row : rows)
    {
        const UINT id = row[0];
        std::string bitmap = Find(RT_BITMAP, id, kGerman);
        ASSERT_LE(sizeof(BITMAPINFOHEADER), bitmap.size()) << id;
        const BITMAPINFOHEADER h = Read<BITMAPINFOHEADER>(bitmap, 0);
        DWORD colours = h.biClrUsed ? h.biClrUsed : 256, stride = (h.biWidth + 3) & ~3;
        ASSERT_TRUE(h.biSize == sizeof h && h.biBitCount == 8 && h.biCompression == BI_RGB &&
                    h.biPlanes == 1 && colours <= 256 && h.biHeight > 0 &&
                    h.biSize + 4 * colours + stride * h.biHeight <= bitmap.size())
            << id;
        EXPECT_EQ(row[1], h.biWidth) << id;
        EXPECT_EQ(row[2], h.biHeight) << id;
        if (id == IDB_ABOUT)
            continue;
        double brightness = 0; // of a whole cell, each darker than the one before; blue throughout
        for (LONG y = 0; y < h.biHeight; ++y)
            for (LONG x = 0; x < h.biWidth; ++x)
            {
                BYTE index = bitmap[h.biSize + 4 * colours + y * stride + x];
                RGBQUAD c = Read<RGBQUAD>(bitmap, h.biSize + 4 * index);
                EXPECT_GT(c.rgbBlue, c.rgbRed) << id << " at " << x << "," << y;
                brightness += 0.299 * c.rgbRed + 0.587 * c.rgbGreen + 0.114 * c.rgbBlue;
            }
        EXPECT_LT(brightness, previous) << id;
        previous = brightness;
    }
}

TEST(Pictures, IconGroupsHoldTheirSizesAndTheCursorLoads)
{
    for (UINT id : {IDI_PROGRAM, IDI_ROW})
    {
        std::string group = Find(RT_GROUP_ICON, id, kGerman); // 6 bytes, then 14 per image
        ASSERT_LE(6u, group.size()) << id;
        std::set<int> trueColour; // square images (width, height, ...) with 32 bits per pixel (at 6)
        for (size_t at = 6; at < 6 + 14u * Read<WORD>(group, 4) && at + 14 <= group.size(); at += 14)
            if (Read<WORD>(group, at + 6) == 32 && group[at] == group[at + 1])
                trueColour.insert((BYTE)group[at]);
        EXPECT_EQ((id == IDI_PROGRAM ? std::set<int>{16, 32, 48} : std::set<int>{16, 32}), trueColour) << id;
        EXPECT_NE(nullptr, LoadIconA(kSelf, MAKEINTRESOURCEA(id))) << id;
    }
    EXPECT_NE(nullptr, LoadCursorA(kSelf, MAKEINTRESOURCEA(IDC_LINK_CURSOR)));
}

TEST(Manifest, SelectsCommonControlsSix)
{
    std::string text = Find(kManifestType, 1, kGerman);
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\""})
        EXPECT_NE(std::string::npos, text.find(part)) << part;
    // Both identities name the build's processor: a loader ignores a manifest of another one.
    const std::regex architecture(sizeof(void*) == 8 ? "processorArchitecture=\"amd64\""
                                                     : "processorArchitecture=\"X86\"");
    EXPECT_EQ(2, std::distance(std::sregex_iterator(text.begin(), text.end(), architecture),
                               std::sregex_iterator()));
    EXPECT_EQ(std::string::npos, text.find("dpiAware"));

    // The loader honoured it: the process's activation context sends "comctl32.dll" to the side-by-side
    // version 6 (whose DllGetVersion under Wine still reports 5.81, so the redirection is the proof).
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                         &redirection));
}

TEST(Version, OneGermanUnicodeBlockWithVersion116)
{
    char path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, path, sizeof path));
    std::vector<BYTE> info(GetFileVersionInfoSizeA(path, NULL));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(path, 0, info.size(), info.data()));
    void* value = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length) && length == 4);
    EXPECT_EQ(0x04B00407u, *static_cast<DWORD*>(value));
    for (const char* name :
         {"\\StringFileInfo\\040704b0\\FileVersion", "\\StringFileInfo\\040704b0\\ProductVersion"})
    {
        ASSERT_TRUE(VerQueryValueA(info.data(), name, &value, &length)) << name;
        EXPECT_STREQ("1.16", static_cast<const char*>(value)) << name;
    }
    EXPECT_FALSE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value, &length));
}

} // namespace
