#include <gtest/gtest.h>

#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Pump.h"
#include "support/TestDialog.h"
#include "ui/Typhoon.h"

namespace
{
// The test program's cells are solid colours, so that a capture tells them apart.
const COLORREF kDim = RGB(0, 0, 128);
const COLORREF kMedium = RGB(255, 0, 0);
const COLORREF kBright = RGB(255, 255, 0);

struct TyphoonFixture : ::testing::Test
{
    C_TestDialog dialog;
    HWND parent = NULL;

    void SetUp() override
    {
        parent = dialog.Open(IDD_TEST_CONTROLS);
        ASSERT_TRUE(parent != NULL);
    }
    int Create(C_Typhoon& bar, int x, int y, int width, DWORD flags)
    {
        return bar.Create(x, y, width, flags, GetModuleHandleA(NULL), parent, IDB_TEST_DIM, IDB_TEST_MEDIUM,
                          IDB_TEST_BRIGHT);
    }
    static int ClientWidth(HWND window)
    {
        RECT client;
        GetClientRect(window, &client);
        return client.right;
    }
    // What the cell starting at x shows, read in its middle.
    static COLORREF CellAt(const C_Capture& capture, int x) { return capture.At(x + 3, 6); }
    static void Tick(C_Typhoon& bar, int times)
    {
        for (int i = 0; i < times; i++)
            SendMessageA(bar.Handle(), WM_TIMER, C_Typhoon::kTimerId, 0);
    }
    // Checks every visible cell against the position.
    static void ExpectCells(const C_Capture& capture, int position)
    {
        for (int x = 0; x + 8 <= capture.Width(); x += 8)
        {
            COLORREF expected = x == position                              ? kBright
                                : (x + 8 == position || x - 8 == position) ? kMedium
                                                                           : kDim;
            EXPECT_EQ(expected, CellAt(capture, x)) << "cell at x " << x << ", position " << position;
        }
    }
};
} // namespace

TEST_F(TyphoonFixture, CreatesItsWindowOfTheRegisteredClass)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 10, 150, 150, 3));
    HWND window = bar.Handle();
    ASSERT_TRUE(window != NULL);
    char name[32];
    GetClassNameA(window, name, sizeof(name));
    EXPECT_STREQ("_C_Typhoon", name);
    GetWindowTextA(window, name, sizeof(name));
    EXPECT_STREQ("Typhoon", name);
    EXPECT_EQ(parent, GetParent(window));
    EXPECT_EQ((LONG)(WS_CHILD | WS_VISIBLE), GetWindowLongA(window, GWL_STYLE) & ~(WS_CLIPSIBLINGS));
    EXPECT_EQ((LONG)(WS_EX_NOPARENTNOTIFY | WS_EX_STATICEDGE), GetWindowLongA(window, GWL_EXSTYLE));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&bar), GetWindowLongPtrA(window, GWLP_USERDATA));

    WNDCLASSA windowClass;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(NULL), "_C_Typhoon", &windowClass));
    EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), windowClass.style);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), windowClass.hbrBackground);
    EXPECT_EQ(LoadCursorA(NULL, IDC_ARROW), windowClass.hCursor);
    EXPECT_EQ(0, windowClass.cbClsExtra);
    EXPECT_EQ(0, windowClass.cbWndExtra);
    EXPECT_EQ(-1, bar.Position());
}

TEST_F(TyphoonFixture, FlagOneConvertsXYAndWidthFromDialogUnitsButNotTheHeight)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 10, 150, 150, 3));
    RECT units = {10, 150, 150, 0};
    MapDialogRect(parent, &units);
    RECT placed;
    GetWindowRect(bar.Handle(), &placed);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(units.left, placed.left);
    EXPECT_EQ(units.top, placed.top);
    EXPECT_EQ(units.right, placed.right - placed.left);
    EXPECT_EQ(15, placed.bottom - placed.top);
    EXPECT_NE(150, units.right) << "the dialog's font makes dialog units differ from pixels";
    EXPECT_EQ(ClientWidth(bar.Handle()) + 32, bar.Period()) << "the size message set the period";
}

TEST_F(TyphoonFixture, WithoutFlagOneThePlacementIsInPixels)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 7, 9, 123, 2));
    RECT placed;
    GetWindowRect(bar.Handle(), &placed);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(7, placed.left);
    EXPECT_EQ(9, placed.top);
    EXPECT_EQ(123, placed.right - placed.left);
}

TEST_F(TyphoonFixture, TheClassIsRegisteredOnceAndGivenBackWithTheObject)
{
    C_Typhoon* first = new C_Typhoon;
    ASSERT_EQ(1, Create(*first, 0, 0, 100, 2));
    C_Typhoon second;
    EXPECT_EQ(0, Create(second, 0, 20, 100, 2)) << "the class name is taken";
    EXPECT_TRUE(second.Handle() == NULL);
    second.Run(10);
    EXPECT_EQ(-1, second.Position());

    // The first object makes a new window the next time (one per progress dialog).
    HWND old = first->Handle();
    DestroyWindow(old);
    EXPECT_TRUE(first->Handle() == NULL);
    ASSERT_EQ(1, Create(*first, 0, 0, 100, 2));
    EXPECT_NE((HWND)NULL, first->Handle());
    HWND live = first->Handle();
    delete first;
    EXPECT_FALSE(IsWindow(live)) << "a window left behind would reach a dead object";
    C_Typhoon third;
    EXPECT_EQ(1, Create(third, 0, 40, 100, 2));
}

TEST_F(TyphoonFixture, RunBeforeCreateOrAfterTheWindowIsGoneDoesNothing)
{
    C_Typhoon bar;
    bar.Run(20);
    EXPECT_EQ(-1, bar.Position());
    ASSERT_EQ(1, Create(bar, 0, 0, 100, 2));
    DestroyWindow(bar.Handle());
    bar.Run(20);
    EXPECT_EQ(-1, bar.Position());
    PumpMessages(60);
}

TEST_F(TyphoonFixture, AStoppedBarPaintsOnlyItsBackground)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 10, 150, 150, 3));
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(bar.Handle()));
    EXPECT_EQ(capture.Width() * capture.Height(), capture.Count(GetSysColor(COLOR_BTNFACE)));

    bar.Run(60000);
    Tick(bar, 3);
    ASSERT_EQ(1, capture.Take(bar.Handle()));
    EXPECT_GT(capture.Count(kDim), 0);
    bar.Run(0);
    EXPECT_EQ(-1, bar.Position());
    ASSERT_EQ(1, capture.Take(bar.Handle()));
    EXPECT_EQ(capture.Width() * capture.Height(), capture.Count(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(TyphoonFixture, BrightMediumAndDimCellsSitWhereThePositionSays)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 10, 150, 150, 3));
    bar.Run(60000); // ticks come from the test
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(bar.Handle()));
    ASSERT_EQ(13, capture.Height());
    ExpectCells(capture, 0);
    EXPECT_EQ(kBright, capture.At(0, 0));
    EXPECT_EQ(kBright, capture.At(7, 12));

    for (int ticks : {1, 5, 9})
    {
        Tick(bar, ticks);
        ASSERT_EQ(1, capture.Take(bar.Handle()));
        ExpectCells(capture, bar.Position());
    }
    EXPECT_EQ(15 * 8, bar.Position());
}

TEST_F(TyphoonFixture, OneRunOfTheBrightCellTakesWidthPlus32Over8PlusOneTicks)
{
    for (int width : {150, 101, 64})
    {
        C_TestDialog own;
        ASSERT_TRUE(own.Open(IDD_TEST_CONTROLS) != NULL);
        C_Typhoon bar;
        ASSERT_EQ(1, bar.Create(4, 100, width, 2, GetModuleHandleA(NULL), own.Handle(), IDB_TEST_DIM,
                                IDB_TEST_MEDIUM, IDB_TEST_BRIGHT));
        int w = ClientWidth(bar.Handle());
        bar.Run(60000);
        int ticks = 0;
        int sawOnlyDim = 0;
        C_Capture capture;
        do
        {
            Tick(bar, 1);
            ticks++;
            if (bar.Position() >= w + 8)
            {
                ASSERT_EQ(1, capture.Take(bar.Handle()));
                sawOnlyDim |= capture.Count(kDim) == capture.Width() * capture.Height();
            }
        } while (bar.Position() != 0 && ticks < 1000);
        EXPECT_EQ((w + 32) / 8 + 1, ticks) << "client width " << w;
        EXPECT_TRUE(sawOnlyDim) << "the cell leaves the bar before it starts again";
    }
}

TEST_F(TyphoonFixture, TheTimerMovesTheCellAndStoppingEndsIt)
{
    C_Typhoon bar;
    ASSERT_EQ(1, Create(bar, 10, 150, 150, 3));
    bar.Run(20);
    EXPECT_EQ(0, bar.Position());
    PumpMessages(300);
    EXPECT_NE(0, bar.Position());
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(bar.Handle()));
    EXPECT_GT(capture.Count(kDim), 0);
    bar.Run(0);
    PumpMessages(100);
    EXPECT_EQ(-1, bar.Position());
}
