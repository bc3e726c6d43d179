#include <gtest/gtest.h>

#include "resources/TestResources.h"
#include "support/Capture.h"
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

    int Create(C_Typhoon& bar, int width, DWORD flags, int y = 150)
    {
        return bar.Create(10, y, width, flags, GetModuleHandleA(NULL), parent, IDB_TEST_DIM, IDB_TEST_MEDIUM,
                          IDB_TEST_BRIGHT);
    }
    static bool OnlyBackground(C_Typhoon& bar)
    {
        C_Capture capture;
        return capture.Take(bar.Handle()) &&
               capture.Count(GetSysColor(COLOR_BTNFACE)) == capture.width * capture.height;
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
    char name[16];
    GetClassNameA(first->Handle(), name, sizeof(name));
    EXPECT_STREQ("_C_Typhoon", name);
    C_Typhoon second;
    EXPECT_EQ(0, Create(second, 100, 2, 20)) << "the class name is taken";
    HWND old = first->Handle();
    ASSERT_EQ(1, Create(*first, 100, 2)) << "a new window, the class kept";
    EXPECT_FALSE(IsWindow(old)) << "one window per object";
    HWND live = first->Handle();
    delete first;
    EXPECT_FALSE(IsWindow(live)) << "a window left behind would reach a dead object";
    EXPECT_EQ(1, Create(second, 100, 2, 40));
}

TEST_F(Typhoon, FlagsThreePlaceTheBarInDialogUnitsAndAStoppedBarPaintsOnlyItsBackground)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 150, 3));
    RECT units = {10, 150, 150, 0}, placed;
    MapDialogRect(parent, &units);
    ASSERT_NE(150, units.right) << "dialog units must differ from pixels here";
    GetWindowRect(bar.Handle(), &placed);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(units.left, placed.left);
    EXPECT_EQ(units.top, placed.top);
    EXPECT_EQ(units.right, placed.right - placed.left);
    EXPECT_EQ(15, placed.bottom - placed.top) << "the height stays in pixels";

    EXPECT_TRUE(OnlyBackground(bar));
    bar.Run(20);
    PumpMessages(300);
    EXPECT_GT(bar.Position(), 0) << "the timer moves the cell";
    EXPECT_FALSE(OnlyBackground(bar));
    bar.Run(0);
    EXPECT_EQ(-1, bar.Position());
    EXPECT_TRUE(OnlyBackground(bar));
}

TEST_F(Typhoon, ARunTakesWidthPlus32Over8PlusOneTicksAndTheCellsSitWhereThePositionSays)
{
    for (int width : {150, 101})
    {
        C_Typhoon bar;
        ASSERT_EQ(1, Create(bar, width, 2));
        bar.Run(60000); // the test gives the ticks
        C_Capture capture;
        int ticks = 0;
        do
        {
            ASSERT_EQ(1, capture.Take(bar.Handle()));
            ASSERT_EQ(13, capture.height);
            for (int x = 0; x + 8 <= capture.width; x += 8)
            {
                int offset = x - bar.Position();
                COLORREF expected = offset == 0 ? kBright : offset == 8 || offset == -8 ? kMedium : kDim;
                EXPECT_EQ(expected, capture.At(x + 3, 6))
                    << "cell at " << x << ", position " << bar.Position();
            }
            bool beyond = bar.Position() >= capture.width + 8;
            EXPECT_TRUE(!beyond || capture.Count(kDim) == capture.width * 13) << "the cell has left the bar";
            SendMessageA(bar.Handle(), WM_TIMER, C_Typhoon::kTimerId, 0);
        } while (++ticks < 1000 && bar.Position() != 0);
        EXPECT_EQ((capture.width + 32) / 8 + 1, ticks);
    }
}
