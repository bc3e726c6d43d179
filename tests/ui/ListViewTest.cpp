#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>

#include "Resource.h"
#include "resources/TestResources.h"
#include "support/TestDialog.h"
#include "sys/OsClass.h"
#include "ui/ListView.h"

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

struct ListView : ::testing::Test
{
    C_TestDialog dialog;
    HWND list = dialog.Open(IDD_TEST_CONTROLS) ? dialog.Item(IDC_LIST) : NULL;
    C_ListView view;

    void SetUp() override
    {
        g_control = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)Spy));
        ASSERT_EQ(1, view.Attach(list, GetModuleHandleA(NULL)));
        view.InsertColumn("Name", 0, 120, LVCFMT_LEFT, C_ListView::kKeepWidth);
        for (int row = 0; row < 4; row++)
            view.InsertItem("row", -2, 0, 1000);
        g_seen.clear();
    }
    int Ask(UINT message, WPARAM wparam = 0) { return (int)SendMessageA(list, message, wparam, 0); }
};
} // namespace

TEST(ImageListColourFlags, FollowsScreenDepthCommonControlsAndOsClass)
{
    const DWORD v5 = 0x00050052, v6 = 0x00060000, nt = OS_NT | OS_XP, w98 = OS_9X | OS_98;
    const struct
    {
        int screenBits;
        DWORD commonControls, osClass;
        UINT colour;
    } rows[] = {{24, v6, nt, ILC_COLOR32}, {32, v5, nt, ILC_COLOR16}, {23, v6, nt, ILC_COLOR16},
                {16, v6, nt, ILC_COLOR16}, {15, v6, nt, ILC_COLOR8},  {8, v6, nt, ILC_COLOR8},
                {7, v6, nt, ILC_COLOR4},   {4, v6, nt, ILC_COLOR4},   {3, v6, nt, ILC_COLOR},
                {32, v6, w98, ILC_COLOR8}};
    for (const auto& row : rows)
        EXPECT_EQ(row.colour | ILC_MASK,
                  ImageListColourFlags(row.screenBits, row.commonControls, row.osClass))
            << row.screenBits << " bits, version " << std::hex << row.commonControls << ", class "
            << row.osClass;
    // The system's library: major high and minor low; any failure 0.
    DWORD version = GetCommonControlsVersion();
    EXPECT_TRUE((version >> 16 == 5 || version >> 16 == 6) && (version & 0xFFFF) < 100)
        << std::hex << version;
    EXPECT_EQ(0u, GetCommonControlsVersion("no-such-comctl.dll"));
    EXPECT_EQ(0u, GetCommonControlsVersion("msimg32.dll")) << "no DllGetVersion";
}

// Nested, only the outermost pair reaches the control. Rows beyond the last append; deleting them
// without the sort clears the shading; a column sized by its header shows the whole header.
TEST_F(ListView, SetRedrawNestsRowsAppendDeletingClearsTheSortShadingAndAHeaderSizesItsColumn)
{
    const struct
    {
        int on, offs, ons; // offs, ons: WM_SETREDRAW that reached the control so far
    } steps[] = {{1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {1, 1, 1}};
    for (const auto& step : steps)
    {
        view.SetRedraw(step.on);
        EXPECT_TRUE((step.offs == g_seen[{WM_SETREDRAW, FALSE}] && step.ons == g_seen[{WM_SETREDRAW, TRUE}]))
            << "step " << &step - steps;
        EXPECT_EQ(step.ons > 0, (g_seen[{WM_PAINT, 0}] > 0)) << "the last on paints the new rows at once";
    }
    int row = 4;
    for (int position : {4, 50, -7}) // at the row count, beyond, negative
        EXPECT_EQ(row++, view.InsertItem("row", -2, 0, position)) << position;
    Ask(LVM_SETSELECTEDCOLUMN, 0);
    EXPECT_TRUE(view.DeleteAllItems(1) && Ask(LVM_GETSELECTEDCOLUMN) == 0) << "sort kept";
    EXPECT_TRUE(view.DeleteAllItems(0) && Ask(LVM_GETSELECTEDCOLUMN) == -1);
    const char header[] = "A rather long header text";
    ASSERT_EQ(0, view.InsertColumn(header, 0, 5, LVCFMT_LEFT, C_ListView::kAutoSizeUseHeader));
    EXPECT_GE(Ask(LVM_GETCOLUMNWIDTH, 0), (int)SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, (LPARAM)header));
    EXPECT_EQ(120, Ask(LVM_GETCOLUMNWIDTH, 1));
}

TEST_F(ListView, CtrlASelectsEveryRowAndPlainANeverReachesTheControl)
{
    SetFocus(list);
    PressKey('A');
    EXPECT_EQ(0, Ask(LVM_GETSELECTEDCOUNT));
    PressKey(VK_DOWN);
    EXPECT_EQ(1, (g_seen[{WM_KEYDOWN, VK_DOWN}])) << "other keys pass";
    Key(VK_CONTROL, true);
    PressKey('A');
    Key(VK_CONTROL, false);
    EXPECT_TRUE((Ask(LVM_GETSELECTEDCOUNT) == 4 && g_seen[{WM_KEYDOWN, 'A'}] == 0));
}

// A missing or incomplete visual-styles library still attaches; the real one tells the list of its new
// theme (WM_THEMECHANGED). A second wrapper is refused, and the image lists are the wrapper's to destroy.
TEST_F(ListView, TheRealThemeLibraryGivesTheExplorerThemeAndTheImageListsAreTheWrappersToDestroy)
{
    for (const char* library : {"no-such-uxtheme.dll", "msimg32.dll", (const char*)NULL})
    {
        view.Release();
        g_seen.clear();
        C_Theme::InjectLibraryName(library);
        EXPECT_EQ(1, view.Attach(list, GetModuleHandleA(NULL))) << library;
        EXPECT_EQ(library ? 0 : 1, (g_seen[{WM_THEMECHANGED, 0}])) << library;
        C_Theme::InjectLibraryName(NULL);
    }
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
