#include <gtest/gtest.h>

#include "resources/TestResources.h"
#include "support/TestDialog.h"
#include "ui/Typhoon.h"

namespace
{
// The test program's cells are solid colours.
const COLORREF kDim = RGB(0, 0, 128), kMedium = RGB(255, 0, 0), kBright = RGB(255, 255, 0);

struct Typhoon : ::testing::Test
{
    C_TestDialog dialog;
    HWND parent = dialog.Open(IDD_TEST_CONTROLS);
    C_Capture capture;

    int Create(C_Typhoon& bar, int width, DWORD flags, int y = 150)
    {
        return bar.Create(10, y, width, flags, GetModuleHandleA(NULL), parent, IDB_TEST_DIM, IDB_TEST_MEDIUM,
                          IDB_TEST_BRIGHT);
    }
    // A stopped bar paints only its background.
    bool Stopped(const C_Typhoon& bar)
    {
        return capture.Take(bar.Handle()) &&
               capture.Count(GetSysColor(COLOR_BTNFACE)) == (int)capture.pixels.size();
    }
};
} // namespace

TEST_F(Typhoon, TheClassIsRegisteredOnceByItsObjectAndGivenBackWithIt)
{
    C_Typhoon never;
    never.Run(20);
    EXPECT_EQ(-1, never.Position()) << "Run before Create";
    C_Typhoon* first = new C_Typhoon;
    ASSERT_EQ(1, Create(*first, 100, 2));
    C_Typhoon second;
    EXPECT_EQ(0, Create(second, 100, 2, 20)) << "the class name is taken";
    HWND old = first->Handle();
    ASSERT_EQ(1, Create(*first, 100, 2)) << "a new window, the class kept";
    EXPECT_FALSE(IsWindow(old)) << "one window per object";
    first->Run(20);
    PumpMessages(300);
    EXPECT_GT(first->Position(), 0) << "the timer moves the cell";
    HWND live = first->Handle();
    delete first;
    EXPECT_FALSE(IsWindow(live)) << "a window left behind would reach a dead object";
    EXPECT_EQ(1, Create(second, 100, 2, 40));
}

// Flags 3: x, y and width in dialog units. A run takes (width + 32) / 8 + 1 ticks.
TEST_F(Typhoon, TheCellsSitWhereThePositionSaysAndARunEndsAfterWidthPlus32Over8PlusOneTicks)
{
    for (DWORD flags : {3, 2})
    {
        C_Typhoon bar;
        ASSERT_EQ(1, Create(bar, 98, flags));  // in pixels: the cell reaches the period exactly
        RECT units = {10, 150, 98, 0}, placed; // dialog units with flag 1, and then not pixels
        ASSERT_TRUE(!(flags & C_Typhoon::kDialogUnits) ||
                    (MapDialogRect(parent, &units) && units.right != 98));
        GetWindowRect(bar.Handle(), &placed);
        MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(placed.left == units.left && placed.top == units.top && placed.bottom - placed.top == 15);
        EXPECT_EQ(units.right, placed.right - placed.left) << flags;
        EXPECT_TRUE(Stopped(bar));
        bar.Run(60000); // the test gives the ticks
        int ticks = 0;
        for (; ticks < 1000 && (!ticks || bar.Position() != 0); ticks++)
        {
            ASSERT_EQ(1, capture.Take(bar.Handle()));
            for (int x = 0, offset = -bar.Position(); x + 8 <= capture.width; x += 8, offset += 8)
                EXPECT_EQ(offset == 0                   ? kBright
                          : offset == 8 || offset == -8 ? kMedium
                                                        : kDim,
                          capture.At(x + 3, 6))
                    << "cell at " << x << ", position " << bar.Position();
            SendMessageA(bar.Handle(), WM_TIMER, C_Typhoon::kTimerId, 0);
        }
        EXPECT_EQ((capture.width + 32) / 8 + 1, ticks);
        bar.Run(0);
        EXPECT_TRUE(Stopped(bar)) << "stopped again";
    }
}
