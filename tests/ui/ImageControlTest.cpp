#include <gtest/gtest.h>

#include <vector>

#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/TestDialog.h"
#include "ui/ImageControl.h"

namespace
{
// The test picture: 40 x 30 pixels in four solid quadrants of 20 x 15.
const COLORREF kQuadrants[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200), RGB(240, 200, 0)};
const COLORREF kTopLeft = kQuadrants[0], kBottomRight = kQuadrants[3];

typedef std::vector<std::pair<int, DWORD>> Events; // code, value

struct ImageControl : ::testing::Test
{
    C_TestDialog dialog;
    HWND picture = NULL;
    C_ImageControl control;
    Events events;

    static void Record(int code, DWORD value, void* self)
    {
        static_cast<ImageControl*>(self)->events.push_back({code, value});
    }
    // Reference size -1: what 100 x 100 dialog units of the test dialog measure.
    void Setup(int id = IDC_PICTURE, int referenceWidth = -1, int referenceHeight = -1,
               WORD bitmap = IDB_TEST_PICTURE)
    {
        if (!dialog.Handle())
            dialog.Open(IDD_TEST_CONTROLS);
        picture = dialog.Item(id);
        RECT units = {0, 0, 100, 100};
        MapDialogRect(dialog.Handle(), &units);
        control.Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, bitmap, 0, Record, this,
                      referenceWidth < 0 ? units.right : referenceWidth,
                      referenceHeight < 0 ? units.bottom : referenceHeight);
    }
    SIZE ClientSize()
    {
        RECT client;
        GetClientRect(picture, &client);
        return SIZE{client.right, client.bottom};
    }
};
} // namespace

TEST_F(ImageControl, UnscaledAtTheReferenceSizeOrWithoutOneAndUnchangedByASecondControl)
{
    for (int reference : {-1, 0}) // 0 would divide by zero
    {
        Setup(IDC_PICTURE, reference, reference);
        EXPECT_EQ(1.0f, control.ScaleX());
        EXPECT_EQ(1.0f, control.ScaleY());
        EXPECT_EQ(40, ClientSize().cx) << "resized to the bitmap";
        EXPECT_EQ(30, ClientSize().cy);
        C_Capture capture;
        ASSERT_EQ(1, capture.Take(picture));
        for (COLORREF colour : kQuadrants)
            EXPECT_EQ(20 * 15, capture.Count(colour));
        EXPECT_EQ(kTopLeft, capture.At(19, 14));
        EXPECT_EQ(kBottomRight, capture.At(20, 15));
    }
    C_ImageControl().Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, IDB_TEST_DIM, 0,
                           NULL, NULL, 10, 10);
    EXPECT_EQ(40, ClientSize().cx) << "a second image control on the window is refused";
}

TEST_F(ImageControl, WhereDialogUnitsAreLargerThanForTheReferenceThePictureIsStretchedAndTheControlGrows)
{
    Setup(IDC_PICTURE, 100, 90);
    RECT units = {0, 0, 100, 100};
    MapDialogRect(dialog.Handle(), &units);
    float scaleX = (float)units.right / 100, scaleY = (float)units.bottom / 90;
    EXPECT_EQ(scaleX, control.ScaleX());
    EXPECT_EQ(scaleY, control.ScaleY());
    ASSERT_GT(scaleX, 1.2f) << "the test dialog's units are larger than the reference";
    SIZE size = ClientSize();
    EXPECT_EQ((int)(40 * scaleX), size.cx);
    EXPECT_EQ((int)(30 * scaleY), size.cy);

    C_Capture capture;
    ASSERT_EQ(1, capture.Take(picture));
    for (int quadrant = 0; quadrant < 4; quadrant++)
        EXPECT_EQ(kQuadrants[quadrant],
                  capture.At(size.cx * (1 + quadrant % 2 * 2) / 4, size.cy * (1 + quadrant / 2 * 2) / 4));
    EXPECT_EQ(kBottomRight, capture.At(size.cx - 1, size.cy - 1)) << "the picture fills the control";

    // The control's last pixel is the picture's last, in the picture's coordinates.
    SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(size.cx - 1, size.cy - 1));
    ASSERT_EQ(1u, events.size());
    DWORD x = LOWORD(events[0].second), y = HIWORD(events[0].second);
    EXPECT_TRUE(x >= 38 && x < 40 && y >= 28 && y < 30) << x << ", " << y;
}

TEST_F(ImageControl, ClicksAndKeysGiveTheirEventsAndLeftUpNone)
{
    Setup();
    MoveCursorToClient(picture, 25, 3);
    PressKey(kLeftButton);
    EXPECT_EQ(Events({{1, MAKELONG(25, 3)}}), events)
        << "a real click reaches the static control (SS_NOTIFY)";

    const UINT cases[][3] = {// message, wparam, event (0: none)
                             {WM_LBUTTONUP, 0, 0},     {WM_LBUTTONDBLCLK, 0, 1}, {WM_RBUTTONDOWN, 0, 5},
                             {WM_RBUTTONDBLCLK, 0, 5}, {WM_RBUTTONUP, 0, 6},     {WM_KEYUP, VK_SPACE, 7},
                             {WM_KEYUP, VK_RETURN, 8}, {WM_KEYUP, 'X', 0}};
    for (const auto& one : cases)
    {
        Events expected;
        if (one[2])
            expected.push_back({(int)one[2], one[0] == WM_KEYUP ? 0u : (DWORD)MAKELONG(12, 7)});
        events.clear();
        SendMessageA(picture, one[0], one[1], MAKELPARAM(12, 7));
        EXPECT_EQ(expected, events) << "message " << std::hex << one[0];
    }
}

TEST_F(ImageControl, OnlyAControlWithTabStopDrawsAFocusRectangle)
{
    // The tab stop is the dialog's first: focused before it is set up.
    for (int id : {IDC_PICTURE_TABSTOP, IDC_PICTURE})
    {
        Setup(id);
        if (id == IDC_PICTURE)
            SetFocus(picture);
        PumpMessages(30);
        ASSERT_EQ(picture, GetFocus());
        C_Capture capture;
        ASSERT_EQ(1, capture.Take(picture));
        EXPECT_EQ(id == IDC_PICTURE, capture.Count(kTopLeft) == 20 * 15) << id;
        EXPECT_EQ(kTopLeft, capture.At(10, 7));
    }
}

TEST_F(ImageControl, AMissingBitmapLeavesTheControlEmptyAndTheSameSize)
{
    ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
    picture = dialog.Item(IDC_PICTURE);
    SIZE before = ClientSize();
    Setup(IDC_PICTURE, -1, -1, 9999);
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(picture));
    for (COLORREF colour : kQuadrants)
        EXPECT_EQ(0, capture.Count(colour));
    SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    EXPECT_EQ(1u, events.size()) << "clicks are still reported";
    EXPECT_EQ(before.cx, ClientSize().cx);
    EXPECT_EQ(before.cy, ClientSize().cy);
}
