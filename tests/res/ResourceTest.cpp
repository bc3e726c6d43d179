// The compiled resource script, as this test program carries it (the same object as Karpolin.exe's),
// read with the raw resource functions: languages, texts, menus, dialog layouts and pictures.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "support/StringTableData.h"
#include "res/Resource.h"

namespace
{

const WORD kGerman = 1031;
const WORD kEnglish = 1033;
const LPCSTR kManifestType = MAKEINTRESOURCEA(24);

HMODULE Self()
{
    return GetModuleHandleA(NULL);
}

LPCSTR Id(UINT id)
{
    return MAKEINTRESOURCEA(id);
}

struct Blob
{
    const BYTE* data;
    DWORD size;
};

// The resource in exactly `language` (or the platform's choice for language 0).
Blob Find(LPCSTR type, UINT id, WORD language)
{
    Blob blob = {NULL, 0};
    HRSRC info = FindResourceExA(Self(), type, Id(id), language);
    HGLOBAL handle = info ? LoadResource(Self(), info) : NULL;
    if (handle)
    {
        blob.data = static_cast<const BYTE*>(LockResource(handle));
        blob.size = SizeofResource(Self(), info);
    }
    return blob;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR set)
{
    reinterpret_cast<std::set<WORD>*>(set)->insert(language);
    return TRUE;
}

std::set<WORD> Languages(LPCSTR type, UINT id)
{
    std::set<WORD> languages;
    EnumResourceLanguagesA(Self(), type, Id(id), AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

template <typename T>
T Read(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::string ToAnsi(const std::wstring& text)
{
    char buffer[600];
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), buffer, sizeof buffer, NULL, NULL);
    return std::string(buffer, n > 0 ? n : 0);
}

// ------------------------------------------------------------------------------------------------
// Which resources exist in which languages

struct LanguageRow
{
    LPCSTR type;
    UINT id;
    std::set<WORD> languages;
};

TEST(Resources, ExistInExactlyTheirLanguages)
{
    const std::set<WORD> both = {kGerman, kEnglish};
    const std::set<WORD> german = {kGerman};
    const LanguageRow rows[] = {
        {RT_MENU, IDM_MAIN, both},
        {RT_STRING, 1, both},
        {RT_STRING, 2, both},
        {RT_STRING, 3, both},
        {RT_STRING, 4, {}},
        {RT_DIALOG, IDD_MAIN, german},
        {RT_DIALOG, IDD_ABOUT, german},
        {RT_DIALOG, IDD_PROGRESS, german},
        {RT_BITMAP, IDB_ABOUT, german},
        {RT_BITMAP, IDB_CELL_BRIGHT, german},
        {RT_BITMAP, IDB_CELL_DIM, german},
        {RT_BITMAP, IDB_CELL_MEDIUM, german},
        {RT_GROUP_ICON, IDI_PROGRAM, german},
        {RT_GROUP_ICON, IDI_ROW, german},
        {RT_GROUP_CURSOR, IDC_LINK_CURSOR, german},
        {RT_VERSION, 1, german},
        {kManifestType, 1, german},
    };
    for (const LanguageRow& row : rows)
        EXPECT_EQ(row.languages, Languages(row.type, row.id)) << "resource " << row.id;

    // The language chain relies on an exact lookup failing for a language that is not there.
    EXPECT_EQ(NULL, FindResourceExA(Self(), RT_MENU, Id(IDM_MAIN), 3079));
    EXPECT_EQ(NULL, FindResourceExA(Self(), RT_STRING, Id(1), 1036));
}

TEST(Resources, DialogsAreFoundByTheNeutralLookup)
{
    for (UINT id : {IDD_MAIN, IDD_ABOUT, IDD_PROGRESS})
    {
        Blob neutral = Find(RT_DIALOG, id, 0);
        ASSERT_NE(nullptr, neutral.data) << id;
        EXPECT_EQ(Find(RT_DIALOG, id, kGerman).data, neutral.data) << id;
    }
}

// ------------------------------------------------------------------------------------------------
// Strings

// String `id` in exactly `language`, walked out of its block of sixteen; false when it is absent.
bool ReadString(UINT id, WORD language, std::wstring* text)
{
    Blob block = Find(RT_STRING, id / 16 + 1, language);
    if (!block.data)
        return false;
    const BYTE* at = block.data;
    const BYTE* end = block.data + block.size;
    for (UINT index = 0; index < 16 && at + 2 <= end; ++index)
    {
        WORD count = Read<WORD>(at);
        at += 2;
        if (index == id % 16)
        {
            if (count == 0 || at + 2 * count > end)
                return false;
            text->resize(count);
            std::memcpy(&(*text)[0], at, 2 * count);
            return true;
        }
        at += 2 * count;
    }
    return false;
}

const wchar_t* German(UINT id)
{
    for (const StringRow& row : kStringTable)
        if (row.id == id)
            return row.german;
    return L"";
}

TEST(Strings, EveryTextInBothLanguagesExactly)
{
    ASSERT_EQ(1252u, GetACP());
    for (const StringRow& row : kStringTable)
    {
        for (WORD language : {kEnglish, kGerman})
        {
            std::wstring expected = language == kEnglish ? row.english : row.german;
            std::wstring text;
            ASSERT_TRUE(ReadString(row.id, language, &text)) << row.id << " in " << language;
            EXPECT_TRUE(text == expected) << "string " << row.id << " in " << language;
            EXPECT_EQ(Cp1252Of(expected), ToAnsi(text)) << "string " << row.id << " in " << language;
        }
    }
}

TEST(Strings, NoOthersExistAndTwentyThreeIsMissing)
{
    std::set<UINT> expected;
    for (const StringRow& row : kStringTable)
        expected.insert(row.id);
    for (WORD language : {kEnglish, kGerman})
    {
        std::set<UINT> present;
        std::wstring text;
        for (UINT id = 0; id < 64; ++id)
            if (ReadString(id, language, &text))
                present.insert(id);
        EXPECT_EQ(expected, present) << language;
        EXPECT_FALSE(ReadString(23, language, &text));
    }
}

TEST(Strings, SourceEncodingSurvivesToCodePage1252)
{
    std::wstring damping, stack, identification;
    ASSERT_TRUE(ReadString(12, kGerman, &damping));
    ASSERT_TRUE(ReadString(16, kGerman, &stack));
    ASSERT_TRUE(ReadString(36, kEnglish, &identification));
    EXPECT_EQ(8u, damping.size());
    EXPECT_EQ(0xE4, damping[1]);
    EXPECT_EQ("D\xe4mpfung", ToAnsi(damping));
    EXPECT_EQ("T Kanal - \xb0"
              "C",
              ToAnsi(stack));
    EXPECT_EQ(L' ', identification[identification.size() - 1]);
}

// ------------------------------------------------------------------------------------------------
// Menu 103

struct MenuRow
{
    int popup;   // position in the menu bar
    int submenu; // position of the submenu inside the popup, or -1
    UINT id;     // 0 for a separator
    const char* english;
    const char* german;
};

const char* const kPopupTitles[][2] = {
    {"File", "Datei"},        {"Communication", "Kommunikation"},
    {"Hardware", "Hardware"}, {"Configuration", "Konfiguration"},
    {"Help", "Hilfe"},
};

const MenuRow kMenu[] = {
    {0, -1, IDM_OPEN, "Open...",
     "\xd6"
     "ffnen..."},
    {0, -1, IDM_CLOSE, "Close",
     "Schlie\xdf"
     "en"},
    {0, -1, IDM_SAVE, "Save...", "Speichern..."},
    {0, -1, 0, "", ""},
    {0, -1, IDM_EXIT, "Exit", "Beenden"},
    {1, -1, IDM_SYNCHRONIZATION, "Synchronization", "Synchronisation"},
    {1, -1, IDM_RESET, "Reset", "Reset"},
    {2, -1, IDM_PORT1, "Serial port com1", "Serial port com1"},
    {2, -1, IDM_PORT2, "Serial port com2", "Serial port com2"},
    {2, -1, IDM_PORT3, "Serial port com3", "Serial port com3"},
    {2, -1, IDM_PORT4, "Serial port com4", "Serial port com4"},
    {2, -1, IDM_PORT5, "Serial port com5", "Serial port com5"},
    {2, -1, IDM_PORT6, "Serial port com6", "Serial port com6"},
    {2, -1, IDM_PORT7, "Serial port com7", "Serial port com7"},
    {2, -1, IDM_PORT8, "Serial port com8", "Serial port com8"},
    {3, -1, IDM_STANDARD_FONT, "Use Standard Font", "Standard Schriftart benutzen"},
    {3, -1, IDM_SELECT_FONT, "Select Font...", "Schriftart ausw\xe4hlen..."},
    {3, -1, IDM_SIMPLE_CUBIC_METER, "Simple 'Cubic Meter'", "Einfache 'Kubik Meter'"},
    {3, -1, IDM_BAUD_1200, "Use 1200 Baud", "1200 Baud benutzen"},
    {3, 4, IDM_ENGLISH, "English", "Englisch"},
    {3, 4, IDM_GERMAN, "German", "Deutsch"},
    {4, -1, IDM_INFO, "Info", "Informationen"},
};

std::string MenuText(HMENU menu, int position)
{
    char text[100] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(Menu, ItemsIdsAndCaptionsInBothLanguages)
{
    for (int german = 0; german < 2; ++german)
    {
        SCOPED_TRACE(german ? "German" : "English");
        Blob blob = Find(RT_MENU, IDM_MAIN, german ? kGerman : kEnglish);
        ASSERT_NE(nullptr, blob.data);
        HMENU bar = LoadMenuIndirectA(blob.data);
        ASSERT_NE(nullptr, bar);
        ASSERT_EQ(5, GetMenuItemCount(bar));
        int counts[5][6] = {};
        for (int popup = 0; popup < 5; ++popup)
            EXPECT_EQ(kPopupTitles[popup][german], MenuText(bar, popup));
        HMENU configuration = GetSubMenu(bar, 3);
        EXPECT_EQ(german ? "Sprache" : "Language", MenuText(configuration, 4));
        for (const MenuRow& row : kMenu)
        {
            HMENU menu = GetSubMenu(bar, row.popup);
            if (row.submenu >= 0)
                menu = GetSubMenu(menu, row.submenu);
            ASSERT_NE(nullptr, menu);
            int& position = counts[row.popup][row.submenu + 1];
            if (row.id == 0)
                EXPECT_TRUE(GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) << position;
            else
                EXPECT_EQ(row.id, GetMenuItemID(menu, position)) << row.english;
            EXPECT_EQ(german ? row.german : row.english, MenuText(menu, position));
            ++position;
        }
        for (int popup = 0; popup < 5; ++popup)
        {
            // nothing beyond the table: the Configuration popup adds the submenu itself
            HMENU menu = GetSubMenu(bar, popup);
            EXPECT_EQ(counts[popup][0] + (popup == 3 ? 1 : 0), GetMenuItemCount(menu)) << popup;
        }
        EXPECT_EQ(counts[3][5], GetMenuItemCount(GetSubMenu(configuration, 4)));
        DestroyMenu(bar);
    }
}

// ------------------------------------------------------------------------------------------------
// Dialog templates (classic DLGTEMPLATE layout)

struct DialogItem
{
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    WORD classOrdinal;
    std::wstring className;
    WORD textOrdinal;
    std::wstring text;
};

struct DialogTemplate
{
    DWORD style;
    short cx, cy;
    WORD menu;
    std::wstring title;
    WORD pointSize;
    std::wstring face;
    std::vector<DialogItem> items;
};

class TemplateReader
{
public:
    explicit TemplateReader(Blob blob) : m_base(blob.data), m_at(blob.data), m_end(blob.data + blob.size) {}

    bool Parse(DialogTemplate* dialog)
    {
        if (Peek(2) == 0xFFFF)
            return false; // the extended layout: these templates are classic
        dialog->style = Dword();
        Dword(); // extended style
        WORD count = Word();
        Word();
        Word();
        dialog->cx = (short)Word();
        dialog->cy = (short)Word();
        std::wstring menuName, className;
        WORD classOrdinal = 0;
        Field(&dialog->menu, &menuName);
        Field(&classOrdinal, &className);
        WORD titleOrdinal = 0;
        Field(&titleOrdinal, &dialog->title);
        if (dialog->style & DS_SETFONT)
        {
            dialog->pointSize = Word();
            WORD none;
            Field(&none, &dialog->face);
        }
        for (WORD i = 0; i < count && m_at < m_end; ++i)
        {
            DialogItem item;
            Align();
            item.style = Dword();
            Dword();
            item.x = (short)Word();
            item.y = (short)Word();
            item.cx = (short)Word();
            item.cy = (short)Word();
            item.id = Word();
            Field(&item.classOrdinal, &item.className);
            Field(&item.textOrdinal, &item.text);
            m_at += Word(); // creation data
            dialog->items.push_back(item);
        }
        return m_at <= m_end && dialog->items.size() == count;
    }

private:
    WORD Peek(int offset) const { return m_at + offset + 2 <= m_end ? Read<WORD>(m_at + offset) : 0; }
    WORD Word()
    {
        WORD value = Peek(0);
        m_at += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | ((DWORD)Word() << 16);
    }
    void Align() { m_at = m_base + ((m_at - m_base + 3) & ~3); }
    // 0xFFFF and an ordinal, or a zero-terminated UTF-16 string
    void Field(WORD* ordinal, std::wstring* text)
    {
        *ordinal = 0;
        text->clear();
        WORD first = Word();
        if (first == 0xFFFF)
        {
            *ordinal = Word();
            return;
        }
        for (WORD unit = first; unit != 0 && m_at <= m_end; unit = Word())
            *text += (wchar_t)unit;
    }

    const BYTE* m_base;
    const BYTE* m_at;
    const BYTE* m_end;
};

enum Kind
{
    kGroup,
    kLabel,
    kValue,
    kLink,
    kList,
    kPicture,
    kCredit,
    kButton
};

struct KindInfo
{
    const wchar_t* className;
    DWORD style;
};

const KindInfo kKinds[] = {
    {L"Button", BS_GROUPBOX},
    {L"Static", SS_LEFT},
    {L"Static", SS_LEFT | SS_NOPREFIX},
    {L"Static", SS_CENTER | SS_CENTERIMAGE},
    {L"SysListView32", LVS_REPORT | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP},
    {L"Static", SS_BITMAP},
    {L"Static", SS_CENTER},
    {L"Button", BS_PUSHBUTTON | WS_TABSTOP},
};

// rc.exe writes the predefined classes as ordinals, windres as names; the dialog manager takes both.
std::wstring ClassOf(const DialogItem& item)
{
    switch (item.classOrdinal)
    {
    case 0:
        return item.className;
    case 0x80:
        return L"Button";
    case 0x82:
        return L"Static";
    default:
        return L"?";
    }
}

const UINT kAnyText = 0xFFFF; // some text of the implementer's (credits, placeholders)

struct ControlRow
{
    WORD id;
    Kind kind;
    short x, y, cx, cy;
    UINT text; // the German string it shows, 0 for none
};

const ControlRow kMainControls[] = {
    {1048, kGroup, 5, 5, 170, 60, 36},     {1049, kGroup, 180, 5, 175, 60, 37},
    {1050, kGroup, 360, 5, 120, 60, 38},   {1052, kGroup, 5, 70, 350, 60, 39},
    {0xFFFF, kGroup, 360, 70, 120, 60, 0}, {1036, kLabel, 15, 20, 85, 8, 35},
    {1037, kLabel, 15, 35, 85, 8, 25},     {1038, kLabel, 15, 50, 85, 8, 33},
    {1010, kValue, 110, 20, 60, 8, 0},     {1011, kValue, 110, 35, 60, 8, 0},
    {1012, kValue, 110, 50, 60, 8, 0},     {1025, kLabel, 190, 20, 105, 8, 24},
    {1029, kLabel, 190, 35, 105, 8, 28},   {1030, kLabel, 190, 85, 100, 8, 29},
    {1031, kLabel, 190, 100, 100, 8, 30},  {1014, kValue, 300, 20, 50, 8, 0},
    {1019, kValue, 300, 35, 50, 8, 0},     {1020, kValue, 300, 85, 50, 8, 0},
    {1021, kValue, 300, 100, 50, 8, 0},    {1032, kLabel, 370, 20, 44, 8, 31},
    {1033, kLabel, 370, 35, 44, 8, 32},    {1022, kValue, 420, 20, 55, 8, 0},
    {1023, kValue, 420, 35, 55, 8, 0},     {1035, kLabel, 15, 85, 85, 8, 34},
    {1028, kLabel, 15, 100, 85, 8, 27},    {1027, kLabel, 15, 115, 85, 8, 26},
    {1024, kValue, 110, 85, 70, 8, 0},     {1017, kValue, 110, 100, 70, 8, 0},
    {1016, kValue, 110, 115, 70, 8, 0},    {1046, kLink, 366, 90, 108, 9, 0},
    {1047, kLink, 366, 105, 108, 9, 0},    {1009, kList, 5, 137, 475, 183, 0},
};

const ControlRow kAboutControls[] = {
    {1043, kPicture, 0, 0, 357, 242, 0},          {0xFFFF, kCredit, 95, 250, 149, 8, kAnyText},
    {0xFFFF, kCredit, 95, 260, 149, 8, kAnyText}, {0xFFFF, kCredit, 95, 270, 149, 8, kAnyText},
    {0xFFFF, kCredit, 95, 280, 149, 8, kAnyText}, {0xFFFF, kCredit, 95, 295, 149, 8, kAnyText},
};

const ControlRow kProgressControls[] = {
    {1044, kButton, 265, 5, 50, 14, kAnyText},
};

struct DialogRow
{
    UINT id;
    DWORD style;
    short cx, cy;
    WORD menu;
    const ControlRow* controls;
    size_t count;
};

const DialogRow kDialogs[] = {
    {IDD_MAIN,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_CENTER |
         DS_SETFONT,
     486, 324, IDM_MAIN, kMainControls, sizeof kMainControls / sizeof kMainControls[0]},
    {IDD_ABOUT, WS_POPUP | WS_VISIBLE | DS_CENTER | DS_MODALFRAME | DS_SETFONT, 357, 307, 0, kAboutControls,
     sizeof kAboutControls / sizeof kAboutControls[0]},
    {IDD_PROGRESS, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 321, 25, 0,
     kProgressControls, sizeof kProgressControls / sizeof kProgressControls[0]},
};

TEST(Dialogs, StylesSizesFontAndEveryControl)
{
    for (const DialogRow& row : kDialogs)
    {
        SCOPED_TRACE(row.id);
        DialogTemplate dialog;
        ASSERT_TRUE(TemplateReader(Find(RT_DIALOG, row.id, kGerman)).Parse(&dialog));
        EXPECT_EQ(row.style, dialog.style);
        EXPECT_EQ(row.cx, dialog.cx);
        EXPECT_EQ(row.cy, dialog.cy);
        EXPECT_EQ(row.menu, dialog.menu);
        EXPECT_EQ(8, dialog.pointSize);
        EXPECT_TRUE(dialog.face == L"MS Sans Serif");
        if (!(row.style & WS_CAPTION))
        {
            EXPECT_TRUE(dialog.title.empty());
        }
        ASSERT_EQ(row.count, dialog.items.size());
        for (size_t i = 0; i < row.count; ++i)
        {
            const ControlRow& want = row.controls[i];
            const DialogItem& item = dialog.items[i];
            const KindInfo& kind = kKinds[want.kind];
            SCOPED_TRACE(want.id);
            EXPECT_EQ(want.id, item.id);
            EXPECT_EQ(kind.style | WS_CHILD | WS_VISIBLE, item.style);
            EXPECT_EQ(0, lstrcmpiW(kind.className, ClassOf(item).c_str()));
            EXPECT_EQ(want.x, item.x);
            EXPECT_EQ(want.y, item.y);
            EXPECT_EQ(want.cx, item.cx);
            EXPECT_EQ(want.cy, item.cy);
            if (want.kind == kPicture)
                EXPECT_EQ(IDB_ABOUT, item.textOrdinal);
            else if (want.text == kAnyText)
                EXPECT_FALSE(item.text.empty());
            else
                EXPECT_TRUE(item.text == (want.text ? German(want.text) : L""));
        }
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(Dialogs, TemplatesMakeWorkingWindows)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    for (UINT id : {IDD_MAIN, IDD_ABOUT, IDD_PROGRESS})
    {
        HWND dialog = CreateDialogParamA(Self(), Id(id), NULL, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog) << id;
        if (id == IDD_MAIN)
        {
            EXPECT_EQ(5, GetMenuItemCount(GetMenu(dialog)));
            char name[32] = "";
            GetClassNameA(GetDlgItem(dialog, IDC_POINT_LIST), name, sizeof name);
            EXPECT_STREQ("SysListView32", name);
        }
        if (id == IDD_ABOUT)
        {
            // the static loaded bitmap 106 from the template's ordinal
            HBITMAP picture =
                (HBITMAP)SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
            BITMAP info = {};
            ASSERT_NE(0, GetObjectA(picture, sizeof info, &info));
            EXPECT_EQ(535, info.bmWidth);
            EXPECT_EQ(393, info.bmHeight);
        }
        DestroyWindow(dialog);
    }
}

// ------------------------------------------------------------------------------------------------
// Pictures

struct IndexedBitmap
{
    BITMAPINFOHEADER header;
    const RGBQUAD* palette;
    const BYTE* bits;

    // top-down coordinates
    const RGBQUAD& At(int x, int y) const
    {
        int stride = (header.biWidth + 3) & ~3;
        return palette[bits[(header.biHeight - 1 - y) * stride + x]];
    }
};

bool ReadBitmap(UINT id, IndexedBitmap* bitmap)
{
    Blob blob = Find(RT_BITMAP, id, kGerman);
    if (!blob.data || blob.size < sizeof(BITMAPINFOHEADER))
        return false;
    bitmap->header = Read<BITMAPINFOHEADER>(blob.data);
    const BITMAPINFOHEADER& h = bitmap->header;
    DWORD colours = h.biClrUsed ? h.biClrUsed : 256;
    DWORD stride = (h.biWidth + 3) & ~3;
    bitmap->palette = reinterpret_cast<const RGBQUAD*>(blob.data + h.biSize);
    bitmap->bits = blob.data + h.biSize + 4 * colours;
    return h.biSize == sizeof h && h.biBitCount == 8 && h.biCompression == BI_RGB && h.biPlanes == 1 &&
           colours <= 256 && h.biHeight > 0 && h.biSize + 4 * colours + stride * h.biHeight <= blob.size;
}

double Brightness(const RGBQUAD& c)
{
    return 0.299 * c.rgbRed + 0.587 * c.rgbGreen + 0.114 * c.rgbBlue;
}

TEST(Pictures, BitmapsAreEightBitWithTheirSizes)
{
    const struct
    {
        UINT id;
        int width, height;
    } rows[] = {
        {IDB_ABOUT, 535, 393}, {IDB_CELL_BRIGHT, 8, 13}, {IDB_CELL_DIM, 8, 13}, {IDB_CELL_MEDIUM, 8, 13}};
    for (const auto& row : rows)
    {
        IndexedBitmap bitmap;
        ASSERT_TRUE(ReadBitmap(row.id, &bitmap)) << row.id;
        EXPECT_EQ(row.width, bitmap.header.biWidth) << row.id;
        EXPECT_EQ(row.height, bitmap.header.biHeight) << row.id;
        HBITMAP loaded = LoadBitmapA(Self(), Id(row.id));
        ASSERT_NE(nullptr, loaded) << row.id;
        DeleteObject(loaded);
    }
}

TEST(Pictures, BusyCellsAreBlueShadedTowardTheLowerRight)
{
    double previous = 1e9;
    // bright, medium, dim: each darker than the one before
    for (UINT id : {IDB_CELL_BRIGHT, IDB_CELL_MEDIUM, IDB_CELL_DIM})
    {
        IndexedBitmap cell;
        ASSERT_TRUE(ReadBitmap(id, &cell));
        double upperLeft = 0, lowerRight = 0, all = 0, brightest = 0;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 8; ++x)
            {
                const RGBQUAD& c = cell.At(x, y);
                EXPECT_GT(c.rgbBlue, c.rgbRed) << id << " at " << x << "," << y;
                double b = Brightness(c);
                all += b;
                brightest = b > brightest ? b : brightest;
                upperLeft += (x < 4 && y < 6) ? b : 0;
                lowerRight += (x >= 4 && y >= 7) ? b : 0;
            }
        EXPECT_GT(upperLeft, lowerRight) << id;
        EXPECT_LT(all, previous) << id;
        previous = all;
        if (id == IDB_CELL_BRIGHT)
        {
            EXPECT_GT(brightest, 235.0); // almost white at its highlight
        }
    }
}

struct GroupEntry
{
    int width, height, bits;
    WORD id;
};

// The entries of an icon group (type 1) or cursor group (type 2). Cursor entries store the height
// of colour and mask together.
std::vector<GroupEntry> ReadGroup(LPCSTR type, UINT id)
{
    std::vector<GroupEntry> entries;
    Blob blob = Find(type, id, kGerman);
    if (!blob.data || blob.size < 6)
        return entries;
    WORD count = Read<WORD>(blob.data + 4);
    for (WORD i = 0; i < count && 6 + 14 * (i + 1u) <= blob.size; ++i)
    {
        const BYTE* e = blob.data + 6 + 14 * i;
        GroupEntry entry;
        if (type == RT_GROUP_ICON)
        {
            entry.width = e[0] ? e[0] : 256;
            entry.height = e[1] ? e[1] : 256;
        }
        else
        {
            entry.width = Read<WORD>(e);
            entry.height = Read<WORD>(e + 2) / 2;
        }
        entry.bits = Read<WORD>(e + 6);
        entry.id = Read<WORD>(e + 12);
        entries.push_back(entry);
    }
    return entries;
}

TEST(Pictures, IconGroupsHoldTheirSizes)
{
    const struct
    {
        UINT id;
        std::set<int> sizes;
    } rows[] = {{IDI_PROGRAM, {16, 32, 48}}, {IDI_ROW, {16, 32}}};
    for (const auto& row : rows)
    {
        std::set<int> trueColour;
        for (const GroupEntry& entry : ReadGroup(RT_GROUP_ICON, row.id))
        {
            EXPECT_EQ(entry.width, entry.height);
            EXPECT_EQ(std::set<WORD>{kGerman}, Languages(RT_ICON, entry.id));
            if (entry.bits == 32)
                trueColour.insert(entry.width);
        }
        EXPECT_EQ(row.sizes, trueColour) << row.id;
        for (int size : row.sizes)
        {
            HICON icon = (HICON)LoadImageA(Self(), Id(row.id), IMAGE_ICON, size, size, 0);
            ASSERT_NE(nullptr, icon) << row.id << " at " << size;
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(size, colour.bmWidth);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Pictures, LinkCursorPointsWithItsFingertip)
{
    std::vector<GroupEntry> entries = ReadGroup(RT_GROUP_CURSOR, IDC_LINK_CURSOR);
    ASSERT_EQ(1u, entries.size());
    ASSERT_EQ(32, entries[0].width);
    ASSERT_EQ(32, entries[0].height);
    Blob image = Find(RT_CURSOR, entries[0].id, kGerman);
    ASSERT_NE(nullptr, image.data);
    int hotX = Read<WORD>(image.data), hotY = Read<WORD>(image.data + 2);
    BITMAPINFOHEADER header = Read<BITMAPINFOHEADER>(image.data + 4);
    ASSERT_EQ(1, header.biBitCount);
    // the AND mask follows the two palette entries and the 32 rows of colour; bottom-up, 1 = clear
    const BYTE* mask = image.data + 4 + header.biSize + 8 + 32 * 4;
    ASSERT_LE((DWORD)(mask - image.data) + 32 * 4, image.size);
    int topmost = -1;
    for (int y = 0; y < 32 && topmost < 0; ++y)
        for (int x = 0; x < 32; ++x)
            if (!(mask[(31 - y) * 4 + x / 8] & (0x80 >> (x % 8))))
                topmost = y;
    EXPECT_EQ(topmost, hotY);
    EXPECT_FALSE(mask[(31 - hotY) * 4 + hotX / 8] & (0x80 >> (hotX % 8))) << "the hot spot is on the hand";
    HCURSOR cursor = LoadCursorA(Self(), Id(IDC_LINK_CURSOR));
    EXPECT_NE(nullptr, cursor);
}

// ------------------------------------------------------------------------------------------------
// Manifest and version

TEST(Manifest, SelectsCommonControlsSix)
{
    Blob blob = Find(kManifestType, 1, kGerman);
    ASSERT_NE(nullptr, blob.data);
    std::string text(reinterpret_cast<const char*>(blob.data), blob.size);
    for (const char* part :
         {"name=\"Tarnwick.Karpolin\"", "version=\"1.0.0.0\"", "processorArchitecture=\"X86\"",
          "<description>Karpolin</description>", "name=\"Microsoft.Windows.Common-Controls\"",
          "version=\"6.0.0.0\"", "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\""})
        EXPECT_NE(std::string::npos, text.find(part)) << part;
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
    DWORD size = GetFileVersionInfoSizeA(path, NULL);
    ASSERT_NE(0u, size);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
    void* value = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(4u, length);
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
