#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <vector>

#include "FakeSystemLibrary.h"
#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/TestDialog.h"
#include "ui/ListView.h"
#include "ui/OsClass.h"

namespace
{
// Installed below the wrapper's subclass: counts only what the wrapper lets reach the control.
WNDPROC g_control;
std::map<std::pair<UINT, WPARAM>, int> g_seen;

LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_seen[{message, wparam}]++;
    return CallWindowProcA(g_control, window, message, wparam, lparam);
}

int Seen(UINT message, WPARAM wparam)
{
    return g_seen[{message, wparam}];
}

struct ListView : ::testing::Test
{
    C_TestDialog dialog;
    HWND list = NULL;
    C_ListView view;

    void SetUp() override
    {
        ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
        list = dialog.Item(IDC_LIST);
        g_seen.clear();
        g_control = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)Spy));
        ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
        view.InsertColumn("Name", 0, 120, LVCFMT_LEFT, C_ListView::kKeepWidth);
    }
    void AddRows(const std::vector<const char*>& texts)
    {
        for (const char* text : texts)
            view.InsertItem(text, -2, 0, 1000);
    }
    int Ask(UINT message, WPARAM wparam = 0) { return (int)SendMessageA(list, message, wparam, 0); }
};
} // namespace

TEST(ImageListColourFlags, FollowsScreenDepthCommonControlsAndOsClass)
{
    const DWORD v5 = 0x00050052, v6 = 0x00060000, xp = OS_NT | OS_XP, w98 = OS_9X | OS_98,
                w95 = OS_9X | OS_95;
    // Screen bits, common-controls version, system, colour.
    const DWORD rows[][4] = {{32, v6, xp, ILC_COLOR32}, {24, v6, xp, ILC_COLOR32}, {32, v5, xp, ILC_COLOR16},
                             {23, v6, xp, ILC_COLOR16}, {16, v6, xp, ILC_COLOR16}, {15, v6, xp, ILC_COLOR8},
                             {8, v6, xp, ILC_COLOR8},   {7, v6, xp, ILC_COLOR4},   {4, v6, xp, ILC_COLOR4},
                             {3, v6, xp, ILC_COLOR},    {32, v6, w98, ILC_COLOR8}, {8, v5, w98, ILC_COLOR8},
                             {4, v5, w95, ILC_COLOR8}};
    for (const auto& row : rows)
        EXPECT_EQ(row[3] | ILC_MASK, ImageListColourFlags(row[0], row[1], row[2]))
            << row[0] << " bits, version " << std::hex << row[1] << ", class " << row[2];
}

TEST_F(ListView, SetRedrawNestsAndOnlyTheOutermostPairReachesTheControl)
{
    PumpMessages(100);
    g_seen.clear();
    view.SetRedraw(1);
    view.SetRedraw(0);
    view.SetRedraw(0);
    AddRows({"1", "2", "3"});
    view.SetRedraw(1);
    PumpMessages(150);
    EXPECT_EQ(1, Seen(WM_SETREDRAW, FALSE));
    EXPECT_EQ(0, Seen(WM_SETREDRAW, TRUE)) << "on at 0 does nothing, and off, off, on keeps it off";
    EXPECT_EQ(0, Seen(WM_PAINT, 0));

    view.SetRedraw(1);
    EXPECT_EQ(1, Seen(WM_SETREDRAW, TRUE));
    EXPECT_GE(Seen(WM_PAINT, 0), 1) << "the last on updates at once";
    view.SetRedraw(1);
    EXPECT_EQ(1, Seen(WM_SETREDRAW, TRUE));
    EXPECT_EQ(1, Seen(WM_SETREDRAW, FALSE));
}

TEST_F(ListView, CtrlASelectsEveryRowAndPlainANeverReachesTheControl)
{
    AddRows({"Alpha", "Beta", "Gamma", "Delta"});
    SetFocus(list);
    ASSERT_EQ(list, GetFocus());
    PressKey('A');
    PressKey(VK_DOWN);
    EXPECT_EQ(1, Seen(WM_KEYDOWN, VK_DOWN)) << "other keys pass";
    EXPECT_LT(Ask(LVM_GETSELECTEDCOUNT), 4);
    Key(VK_CONTROL, true);
    PressKey('A');
    Key(VK_CONTROL, false);
    EXPECT_EQ(4, Ask(LVM_GETSELECTEDCOUNT));
    EXPECT_EQ(0, Seen(WM_KEYDOWN, 'A'));
}

TEST_F(ListView, DeleteAllItemsWithoutKeepingTheSortClearsTheShading)
{
    AddRows({"x", "y"});
    Ask(LVM_SETSELECTEDCOLUMN, 0);
    EXPECT_EQ(1, view.DeleteAllItems(1));
    EXPECT_EQ(0, Ask(LVM_GETSELECTEDCOLUMN)) << "sort kept";
    EXPECT_EQ(1, view.DeleteAllItems(0));
    EXPECT_EQ(-1, Ask(LVM_GETSELECTEDCOLUMN));
}

TEST_F(ListView, InsertingBeyondTheLastRowAppends)
{
    EXPECT_EQ(0, view.InsertItem("first", -2, 0, 0));
    EXPECT_EQ(1, view.InsertItem("last", -2, 0, 50));
    EXPECT_EQ(0, view.InsertItem("zeroth", -2, 0, 0));
    EXPECT_EQ(3, view.InsertItem("after", -2, 0, 3)) << "at the row count";
    EXPECT_EQ(4, view.InsertItem("negative", -2, 0, -7)) << "a negative position appends too";
}

TEST_F(ListView, AColumnSizedByItsHeaderShowsTheWholeHeader)
{
    const char header[] = "A rather long header text";
    ASSERT_EQ(0, view.InsertColumn(header, 0, 5, LVCFMT_LEFT, C_ListView::kAutoSizeUseHeader));
    EXPECT_GE(Ask(LVM_GETCOLUMNWIDTH, 0), (int)SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, (LPARAM)header));
    EXPECT_EQ(120, Ask(LVM_GETCOLUMNWIDTH, 1));
}

TEST_F(ListView, ASecondWrapperIsRefusedAndTheImageListsAreTheWrappersToDestroy)
{
    HIMAGELIST small = view.SmallImages().Handle();
    ASSERT_EQ(0, view.SmallImages().AddIcon(GetModuleHandleA(NULL), IDI_ROW));
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(small, 0, &info)); // its bitmap is a GDI object that can be checked
    EXPECT_EQ(0, C_ListView().Attach(list, GetModuleHandleA(NULL)));
    EXPECT_EQ(small, (HIMAGELIST)SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    BITMAP bitmap;
    DestroyWindow(list);
    EXPECT_TRUE(GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap)) << "the control did not destroy the list";
    view.Release();
    EXPECT_FALSE(GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap));
}

TEST_F(ListView, InjectedMissingOrFakeThemeLibraryStillAttachesAndShowsRows)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    AddRows({"WWWWWWWW", "MMMMMMMM"});
    RECT row = {LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    for (const char* library : {"no-such-uxtheme.dll", "msimg32.dll", C_FakeSystemLibrary::kName})
    {
        view.Release();
        C_Theme::InjectLibraryName(library);
        EXPECT_EQ(1, view.Attach(list, GetModuleHandleA(NULL))) << library;
        C_Theme::InjectLibraryName(NULL);
        InvalidateRect(list, NULL, TRUE);
        C_Capture capture;
        ASSERT_EQ(1, capture.Take(list));
        EXPECT_GT(capture.Count(GetSysColor(COLOR_WINDOWTEXT), &row), 10) << library;
    }
    EXPECT_EQ(1, fake.Calls(C_FakeSystemLibrary::kExplorerTheme));
}
