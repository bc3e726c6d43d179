#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "FakeSystemLibrary.h"
#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestDialog.h"
#include "ui/ListView.h"
#include "ui/OsClass.h"

namespace
{
// Counts the messages that reach the list view control itself: installed below the wrapper's
// subclass, so it sees only what the wrapper lets through.
struct Spy
{
    static WNDPROC s_original;
    static std::vector<MSG> s_seen;

    HWND window;
    explicit Spy(HWND list) : window(list)
    {
        s_seen.clear();
        s_original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        MSG seen = {window, message, wparam, lparam, 0, {0, 0}};
        s_seen.push_back(seen);
        return CallWindowProcA(s_original, window, message, wparam, lparam);
    }
    static int Count(UINT message, WPARAM wparam = (WPARAM)-1)
    {
        int count = 0;
        for (const MSG& seen : s_seen)
            if (seen.message == message && (wparam == (WPARAM)-1 || seen.wParam == wparam))
                count++;
        return count;
    }
};
WNDPROC Spy::s_original;
std::vector<MSG> Spy::s_seen;

struct ListFixture : ::testing::Test
{
    C_TestDialog dialog;
    HWND list = NULL;
    C_ListView view;

    void SetUp() override
    {
        InitCommonControls();
        ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
        list = dialog.Item(IDC_LIST);
        ASSERT_TRUE(list != NULL);
    }
    void AddRows(const std::vector<const char*>& texts)
    {
        for (const char* text : texts)
            view.InsertItem(text, -2, 0, 1000);
    }
    std::string RowText(int row)
    {
        char text[64] = "";
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int SelectedCount() { return (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0); }
    int SelectedColumn() { return (int)SendMessageA(list, LVM_GETSELECTEDCOLUMN, 0, 0); }
};

// An image list's handle says nothing once the list is destroyed; the bitmap that holds its images
// is a GDI object, whose handle the system does check.
HBITMAP ImagesBitmap(HIMAGELIST images)
{
    IMAGEINFO info = {};
    return ImageList_GetImageInfo(images, 0, &info) ? info.hbmImage : NULL;
}

bool IsLiveBitmap(HBITMAP bitmap)
{
    BITMAP info;
    return GetObjectA(bitmap, sizeof(info), &info) != 0;
}

int BitsOfImages(HIMAGELIST images)
{
    IMAGEINFO info = {};
    if (!ImageList_GetImageInfo(images, 0, &info))
        return -1;
    BITMAP bitmap = {};
    GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap);
    return bitmap.bmBitsPixel;
}

int BitsOfFlags(UINT flags)
{
    switch (flags & ~(UINT)ILC_MASK)
    {
    case ILC_COLOR32:
        return 32;
    case ILC_COLOR16:
        return 16;
    case ILC_COLOR8:
        return 8;
    case ILC_COLOR4:
        return 4;
    default:
        return 0;
    }
}
} // namespace

TEST(ImageListColourFlags, FollowsScreenDepthCommonControlsAndOsClass)
{
    const DWORD v5 = 0x00050052, v6 = 0x00060000;
    const DWORD xp = OS_NT | OS_XP, win98 = OS_9X | OS_98, win95 = OS_9X | OS_95, me = OS_9X | OS_ME;
    struct Row
    {
        int bits;
        DWORD version;
        DWORD os;
        UINT expected;
    } rows[] = {
        {32, v6, xp, ILC_COLOR32},   {24, v6, xp, ILC_COLOR32},   {32, v5, xp, ILC_COLOR16},
        {24, 0, xp, ILC_COLOR16},    {23, v6, xp, ILC_COLOR16},   {16, v6, xp, ILC_COLOR16},
        {15, v6, xp, ILC_COLOR8},    {8, v6, xp, ILC_COLOR8},     {7, v6, xp, ILC_COLOR4},
        {4, v6, xp, ILC_COLOR4},     {3, v6, xp, ILC_COLOR},      {1, v6, xp, ILC_COLOR},
        {32, v5, win98, ILC_COLOR8}, {16, v5, win98, ILC_COLOR8}, {8, v5, win98, ILC_COLOR8},
        {4, v5, win95, ILC_COLOR8},  {32, v6, me, ILC_COLOR8},    {16, v5, 0, ILC_COLOR16},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected | ILC_MASK, ImageListColourFlags(row.bits, row.version, row.os))
            << row.bits << " bits, version " << std::hex << row.version << ", class " << row.os;
}

TEST(C_ImageList, TakesTheIconSizeFromTheMetricsAndTheDepthFromTheScreen)
{
    C_ImageList small, large, given;
    ASSERT_EQ(1, small.Create(C_ImageList::kSmallIcons, 99, 99, 10, 10, GetCommonControlsVersion()));
    ASSERT_EQ(1, large.Create(C_ImageList::kLargeIcons, 99, 99, 10, 10, GetCommonControlsVersion()));
    ASSERT_EQ(1, given.Create(0, 20, 12, 10, 10, 0x60000));
    int width, height;
    ImageList_GetIconSize(small.Handle(), &width, &height);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), width);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), height);
    ImageList_GetIconSize(large.Handle(), &width, &height);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), width);
    ImageList_GetIconSize(given.Handle(), &width, &height);
    EXPECT_EQ(20, width);
    EXPECT_EQ(12, height);

    EXPECT_EQ(0, small.AddIcon(GetModuleHandleA(NULL), IDI_ROW));
    EXPECT_EQ(1, small.AddIcon(GetModuleHandleA(NULL), IDI_ROW));
    EXPECT_EQ(-1, small.AddIcon(GetModuleHandleA(NULL), 9999)) << "no such icon";
    EXPECT_EQ(2, ImageList_GetImageCount(small.Handle()));

    HDC screen = GetDC(NULL);
    int screenBits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(NULL, screen);
    UINT flags = ImageListColourFlags(screenBits, GetCommonControlsVersion(), GetOsClass());
    EXPECT_EQ(BitsOfFlags(flags), BitsOfImages(small.Handle()));

    HBITMAP before = ImagesBitmap(small.Handle());
    ASSERT_TRUE(before != NULL);
    ASSERT_EQ(1, small.Create(C_ImageList::kSmallIcons, 0, 0, 10, 10, 0));
    EXPECT_FALSE(IsLiveBitmap(before)) << "re-creating destroys the old list";
}

TEST_F(ListFixture, AttachGivesImageListsHeaderAndSubclassAndClearsTheShading)
{
    SendMessageA(list, LVM_SETSELECTEDCOLUMN, 0, 0);
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), view.Header());
    EXPECT_TRUE(view.Header() != NULL);
    EXPECT_EQ(GetCommonControlsVersion(), view.CommonControlsVersion());
    EXPECT_EQ(view.LargeImages().Handle(),
              reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0)));
    EXPECT_EQ(view.SmallImages().Handle(),
              reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), view.SmallImages().Width());
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), view.LargeImages().Width());
    EXPECT_EQ(-1, SelectedColumn());
    EXPECT_EQ(-1, view.SortColumn());
    EXPECT_TRUE(GetPropA(list, "_C_SubClassing_Property_6C697331") != NULL);
    {
        C_ListView second;
        EXPECT_EQ(0, second.Attach(list, GetModuleHandleA(NULL))) << "one list view wrapper per window";
    }
    EXPECT_EQ(view.SmallImages().Handle(),
              reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)))
        << "the refused wrapper left the first one's image lists in place";
}

TEST_F(ListFixture, ASortStyleKeepsColumnZeroShaded)
{
    HWND sorted =
        CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SORTDESCENDING, 0, 0,
                        100, 60, dialog.Handle(), NULL, NULL, NULL);
    ASSERT_EQ(1, view.Attach(sorted, GetModuleHandleA(NULL)));
    EXPECT_EQ(0, view.SortColumn());
    EXPECT_EQ(0, view.SortAscending());
    EXPECT_EQ(0, (int)SendMessageA(sorted, LVM_GETSELECTEDCOLUMN, 0, 0));
}

TEST_F(ListFixture, SetRedrawNestsAndOnlyTheOutermostPairReachesTheControl)
{
    Spy spy(list);
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    view.InsertColumn("Point", 0, 80, LVCFMT_LEFT, C_ListView::kKeepWidth);
    PumpMessages(100);

    Spy::s_seen.clear();
    view.SetRedraw(1);
    EXPECT_EQ(0, Spy::Count(WM_SETREDRAW)) << "on at counter 0 does nothing";
    EXPECT_EQ(0, view.RedrawSuspension());

    view.SetRedraw(0);
    view.SetRedraw(0);
    EXPECT_EQ(1, Spy::Count(WM_SETREDRAW, FALSE));
    AddRows({"1", "2", "3"});
    view.SetRedraw(1);
    EXPECT_EQ(0, Spy::Count(WM_SETREDRAW, TRUE));
    PumpMessages(150);
    EXPECT_EQ(0, Spy::Count(WM_PAINT)) << "still suspended after off, off, on";
    EXPECT_EQ(1, view.RedrawSuspension());

    view.SetRedraw(1);
    EXPECT_EQ(1, Spy::Count(WM_SETREDRAW, TRUE));
    EXPECT_GE(Spy::Count(WM_PAINT), 1) << "the last on updates at once";
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(list, &pending, FALSE));
    EXPECT_EQ(0, view.RedrawSuspension());

    view.SetRedraw(1);
    EXPECT_EQ(1, Spy::Count(WM_SETREDRAW, TRUE));
    EXPECT_EQ(1, Spy::Count(WM_SETREDRAW, FALSE));
    view.Release();
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy::s_original));
}

TEST_F(ListFixture, CtrlASelectsEveryRowAndPlainANeverReachesTheControl)
{
    Spy spy(list);
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    view.InsertColumn("Name", 0, 80, LVCFMT_LEFT, C_ListView::kKeepWidth);
    AddRows({"Alpha", "Beta", "Gamma", "Delta"});
    SetFocus(list);
    PumpMessages(50);
    ASSERT_EQ(list, GetFocus());
    Spy::s_seen.clear();

    PressKey('A');
    EXPECT_EQ(0, Spy::Count(WM_KEYDOWN, 'A'));
    PressKey(VK_DOWN);
    EXPECT_EQ(1, Spy::Count(WM_KEYDOWN, VK_DOWN)) << "other keys pass";
    EXPECT_LT(SelectedCount(), 4);

    KeyDown(VK_CONTROL);
    PressKey('A');
    KeyUp(VK_CONTROL);
    EXPECT_EQ(4, SelectedCount());
    EXPECT_EQ(0, Spy::Count(WM_KEYDOWN, 'A'));
    view.Release();
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy::s_original));
}

TEST_F(ListFixture, DeleteAllItemsWithoutKeepingTheSortClearsTheShading)
{
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    view.InsertColumn("A", 0, 50, LVCFMT_LEFT, 0);
    view.InsertColumn("B", 1, 50, LVCFMT_LEFT, 0);
    AddRows({"x", "y"});
    SendMessageA(list, LVM_SETSELECTEDCOLUMN, 1, 0);
    EXPECT_EQ(1, view.DeleteAllItems(1));
    EXPECT_EQ(1, SelectedColumn()) << "keep sort";
    AddRows({"x"});
    EXPECT_EQ(1, view.DeleteAllItems(0));
    EXPECT_EQ(-1, SelectedColumn());
    EXPECT_EQ(0, (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(ListFixture, InsertingBeyondTheLastRowAppends)
{
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    view.InsertColumn("Name", 0, 80, LVCFMT_LEFT, 0);
    EXPECT_EQ(0, view.InsertItem("first", -2, 11, 0));
    EXPECT_EQ(1, view.InsertItem("last", -2, 12, 50));
    EXPECT_EQ(0, view.InsertItem("zeroth", -2, 10, 0));
    EXPECT_EQ(3, view.InsertItem("after", 0, 13, 3)) << "at the row count";
    EXPECT_EQ(4, view.InsertItem("negative", 0, 14, -7));
    EXPECT_EQ("zeroth", RowText(0));
    EXPECT_EQ("first", RowText(1));
    EXPECT_EQ("last", RowText(2));
    EXPECT_EQ("after", RowText(3));

    EXPECT_EQ(1, view.SetCellText("changed", 0, 2));
    EXPECT_EQ("changed", RowText(2));
}

TEST_F(ListFixture, ColumnsSizeToTheirHeaderOrContent)
{
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    const char header[] = "A rather long header text";
    ASSERT_EQ(0, view.InsertColumn("Kept", 0, 40, LVCFMT_LEFT, C_ListView::kKeepWidth));
    ASSERT_EQ(1, view.InsertColumn(header, 1, 5, LVCFMT_RIGHT, C_ListView::kAutoSizeUseHeader));
    EXPECT_EQ(40, (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));

    HDC context = GetDC(list);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SIZE text;
    GetTextExtentPoint32A(context, header, (int)strlen(header), &text);
    SelectObject(context, previous);
    ReleaseDC(list, context);
    EXPECT_GE((int)SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), text.cx);

    LVCOLUMNA column = {};
    column.mask = LVCF_FMT;
    SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(LVCFMT_RIGHT, column.fmt & LVCFMT_JUSTIFYMASK);

    EXPECT_EQ(1, view.SetColumnWidth(0, 77));
    EXPECT_EQ(77, (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    view.DeleteAllColumns();
    EXPECT_EQ(0, (int)SendMessageA(view.Header(), HDM_GETITEMCOUNT, 0, 0));
}

TEST_F(ListFixture, SelectionIsSetAndFoundRowByRow)
{
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    view.InsertColumn("Name", 0, 80, LVCFMT_LEFT, 0);
    view.InsertItem("zero", -2, 100, 0);
    view.InsertItem("one", -2, 101, 1);
    view.InsertItem("two", -2, 102, 2);
    EXPECT_EQ(1, view.SelectItem(1, 1));
    EXPECT_EQ(1, view.SelectItem(2, 1));

    int row = -5;
    LPARAM data = 0;
    char text[8];
    ASSERT_EQ(1, view.GetSelectedRow(-1, &row, &data, text, sizeof(text)));
    EXPECT_EQ(1, row);
    EXPECT_EQ(101, data);
    EXPECT_STREQ("one", text);
    ASSERT_EQ(1, view.GetSelectedRow(row, &row, NULL, text, 3));
    EXPECT_EQ(2, row);
    EXPECT_STREQ("tw", text) << "the text is cut to the room given";
    EXPECT_EQ(0, view.GetSelectedRow(row, &row, &data, text, sizeof(text)));

    EXPECT_EQ(1, view.SelectAll(0));
    EXPECT_EQ(0, SelectedCount());
    EXPECT_EQ(1, view.SelectAll(1));
    EXPECT_EQ(3, SelectedCount());
}

TEST_F(ListFixture, TheImageListsOutliveTheControlAndAreDestroyedOnceByTheWrapper)
{
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & LVS_SHAREIMAGELISTS);
    ASSERT_EQ(0, view.SmallImages().AddIcon(GetModuleHandleA(NULL), IDI_ROW));
    ASSERT_EQ(0, view.LargeImages().AddIcon(GetModuleHandleA(NULL), IDI_ROW));
    HBITMAP small = ImagesBitmap(view.SmallImages().Handle());
    HBITMAP large = ImagesBitmap(view.LargeImages().Handle());
    DestroyWindow(list);
    EXPECT_TRUE(IsLiveBitmap(small)) << "the control did not destroy the lists";
    EXPECT_TRUE(IsLiveBitmap(large));
    view.Release();
    EXPECT_FALSE(IsLiveBitmap(small));
    EXPECT_FALSE(IsLiveBitmap(large));
}

TEST_F(ListFixture, FakeThemeLibraryIsAskedForTheExplorerTheme)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    C_Theme::InjectLibraryName(C_FakeSystemLibrary::kName);
    ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
    C_Theme::InjectLibraryName(NULL);
    EXPECT_EQ(1, fake.Calls("SetWindowTheme"));
    EXPECT_EQ(list, fake.LastThemeWindow());
    EXPECT_STREQ(L"explorer", fake.LastSubAppName());
}

// Shows rows whatever the theme library offers: its absence, or a library without its entry points.
static void AttachAndShowRows(ListFixture& fixture)
{
    C_ListView& view = fixture.view;
    ASSERT_EQ(1, view.Attach(fixture.list, GetModuleHandleA(NULL)));
    view.InsertColumn("Name", 0, 120, LVCFMT_LEFT, 0);
    view.InsertItem("WWWWWWWW", -2, 0, 0);
    view.InsertItem("MMMMMMMM", -2, 0, 1);
    EXPECT_EQ(2, (int)SendMessageA(fixture.list, LVM_GETITEMCOUNT, 0, 0));
    RECT row = {};
    row.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(fixture.list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(fixture.list));
    EXPECT_GT(capture.Count(GetSysColor(COLOR_WINDOWTEXT), &row), 10) << "the row's text is drawn";
}

TEST_F(ListFixture, InjectedMissingThemeLibraryStillAttachesAndShowsRows)
{
    C_Theme::InjectLibraryName("no-such-uxtheme.dll");
    AttachAndShowRows(*this);
    C_Theme::InjectLibraryName(NULL);
}

TEST_F(ListFixture, InjectedThemeLibraryWithoutEntryPointsStillAttachesAndShowsRows)
{
    C_Theme::InjectLibraryName("msimg32.dll");
    AttachAndShowRows(*this);
    C_Theme::InjectLibraryName(NULL);
}
