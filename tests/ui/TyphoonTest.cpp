#include <gtest/gtest.h>

#include "resources/TestResources.h"
#include "support/TestDialog.h"
#include "ui/Typhoon.h"

// Flags 3: x, y and width in dialog units. A run takes (width + 32) / 8 + 1 ticks; a stopped bar paints
// only its background. Each object registers the class once and gives it back, and its window goes with
// it (a window left behind would reach a dead object).
TEST(C_Typhoon, TheCellsSitWhereThePositionSaysARunEndsAfterWidthPlus32Over8PlusOneTicksAndTheClassGoesBack)
{
    const COLORREF kDim = RGB(0, 0, 128), kMedium = RGB(255, 0, 0), kBright = RGB(255, 255, 0); // the cells
    C_TestDialog dialog;
    HWND parent = dialog.Open(IDD_TEST_CONTROLS);
    C_Capture capture;
    C_Typhoon other;
    auto create = [&](C_Typhoon& bar, DWORD flags)
    {
        return bar.Create(10, 150, 98, flags, GetModuleHandleA(NULL), parent, IDB_TEST_DIM, IDB_TEST_MEDIUM,
                          IDB_TEST_BRIGHT);
    };
    auto stopped = [&](C_Typhoon& bar)
    {
        return capture.Take(bar.Handle()) &&
               capture.Count(GetSysColor(COLOR_BTNFACE)) == (int)capture.pixels.size();
    };
    other.Run(20);
    EXPECT_EQ(-1, other.Position()) << "Run before Create";
    for (DWORD flags : {3, 2})
    {
        C_Typhoon* bar = new C_Typhoon;
        ASSERT_EQ(1, create(*bar, flags));
        EXPECT_EQ(0, create(other, flags)) << "the class name is taken";
        RECT units = {10, 150, 98, 0}, placed; // dialog units with flag 1, and then not pixels
        ASSERT_TRUE(!(flags & C_Typhoon::kDialogUnits) ||
                    (MapDialogRect(parent, &units) && units.right != 98));
        GetWindowRect(bar->Handle(), &placed);
        MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(placed.left == units.left && placed.top == units.top && placed.bottom - placed.top == 15);
        EXPECT_EQ(units.right, placed.right - placed.left) << flags;
        EXPECT_TRUE(stopped(*bar));
        bar->Run(60000); // the test gives the ticks
        int ticks = 0;
        for (; ticks < 1000 && (!ticks || bar->Position() != 0); ticks++)
        {
            ASSERT_EQ(1, capture.Take(bar->Handle()));
            for (int x = 0, offset = -bar->Position(); x + 8 <= capture.width; x += 8, offset += 8)
                EXPECT_EQ(offset == 0                   ? kBright
                          : offset == 8 || offset == -8 ? kMedium
                                                        : kDim,
                          capture.At(x + 3, 6))
                    << "cell at " << x << ", position " << bar->Position();
            SendMessageA(bar->Handle(), WM_TIMER, C_Typhoon::kTimerId, 0);
        }
        EXPECT_EQ((capture.width + 32) / 8 + 1, ticks);
        bar->Run(0);
        EXPECT_TRUE(stopped(*bar)) << "stopped again";
        HWND old = bar->Handle();
        ASSERT_EQ(1, create(*bar, flags)) << "a new window, the class kept";
        EXPECT_FALSE(IsWindow(old)) << "one window per object";
        bar->Run(20);
        PumpMessages(200);
        EXPECT_GT(bar->Position(), 0) << "the timer moves the cell";
        old = bar->Handle();
        delete bar;
        EXPECT_FALSE(IsWindow(old));
    }
}
