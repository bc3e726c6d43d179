#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "resources/TestResources.h"
#include "support/TestDialog.h"
#include "ui/ImageControl.h"

namespace
{
// The test picture: 40 x 30 pixels in four solid quadrants of 20 x 15.
const COLORREF kQuadrants[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200), RGB(240, 200, 0)};
typedef std::vector<std::pair<int, DWORD>> Events; // code, value

struct ImageControl : ::testing::Test
{
    C_TestDialog dialog, other;
    HWND parent = dialog.Open(IDD_TEST_CONTROLS), picture = dialog.Item(IDC_PICTURE);
    RECT units = {0, 0, 100, 100}, client = {}; // units: the reference size of an unscaled picture
    C_ImageControl control;
    Events events;
    void (*onEvent)(ImageControl*) = NULL;

    void SetUp() override { MapDialogRect(parent, &units); }
    static void Record(int code, DWORD value, void* user)
    {
        ImageControl* self = static_cast<ImageControl*>(user);
        self->events.push_back({code, value});
        if (self->onEvent)
            self->onEvent(self);
    }
    void Setup(int width, int height, WORD bitmap = IDB_TEST_PICTURE)
    {
        control.Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, bitmap, 0, Record, this,
                      width, height);
        GetClientRect(picture, &client);
    }
    Events Send(UINT message, WPARAM wparam, int x, int y)
    {
        events.clear();
        SendMessageA(picture, message, wparam, MAKELPARAM(x, y));
        return events;
    }
};
} // namespace

TEST_F(ImageControl, ThePictureFillsTheControlScaledByTheDialogUnitsOverTheReferenceAndASecondControlNothing)
{
    ASSERT_GT(units.right, 120) << "the test dialog's units are larger than the references below";
    const struct
    {
        int width, height; // the reference; 0: none, shown unscaled rather than divided by
    } references[] = {{units.right, units.bottom}, {0, 0}, {100, 90}, {units.right, 90}};
    for (const auto& one : references)
    {
        SCOPED_TRACE(testing::Message() << "reference " << one.width << " x " << one.height);
        Setup(one.width, one.height);
        C_Capture capture;
        ASSERT_EQ(1, capture.Take(picture));
        EXPECT_NEAR(one.width ? 40.0 * units.right / one.width : 40, client.right, 1);
        EXPECT_NEAR(one.height ? 30.0 * units.bottom / one.height : 30, client.bottom, 1);
        for (int quadrant = 0; quadrant < 4; quadrant++) // its centre and its outer corner
        {
            int right = quadrant % 2, bottom = quadrant / 2, w = client.right, h = client.bottom;
            EXPECT_EQ(kQuadrants[quadrant], capture.At(w * (1 + 2 * right) / 4, h * (1 + 2 * bottom) / 4));
            EXPECT_EQ(kQuadrants[quadrant], capture.At(right * (w - 1), bottom * (h - 1)));
        }
        // The control's last pixel is the picture's last (x 38 or 39, y 28 or 29) in its coordinates.
        Events last = Send(WM_LBUTTONDOWN, MK_LBUTTON, client.right - 1, client.bottom - 1);
        ASSERT_EQ(1u, last.size());
        EXPECT_EQ(MAKELONG(38, 28), last[0].second & ~0x10001u) << std::hex << last[0].second;
    }
    RECT before = client;
    C_ImageControl().Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, IDB_TEST_DIM, 0,
                           NULL, NULL, 10, 10);
    EXPECT_TRUE(GetClientRect(picture, &client) && EqualRect(&before, &client))
        << "a second control is refused";
}

// The owner may close the dialog in its callback, and the control's memory may then hold another
// control at once: once the window is gone, the click touches its control no more.
TEST_F(ImageControl, ClicksAndKeysGiveTheirEventsAndAClickWhoseCallbackClosedTheWindowLeavesTheControlAlone)
{
    Setup(units.right, units.bottom);
    MoveCursorToClient(picture, 25, 3);
    PressKey(kLeftButton);
    EXPECT_EQ(Events({{1, MAKELONG(25, 3)}}), events)
        << "a real click reaches the static control (SS_NOTIFY)";
    const struct
    {
        UINT message;
        WPARAM key;
        int event; // 0: none
    } cases[] = {{WM_LBUTTONUP, 0, 0},     {WM_LBUTTONDBLCLK, 0, 1}, {WM_RBUTTONDOWN, 0, 5},
                 {WM_RBUTTONDBLCLK, 0, 5}, {WM_RBUTTONUP, 0, 6},     {WM_KEYUP, VK_SPACE, 7},
                 {WM_KEYUP, VK_RETURN, 8}, {WM_KEYUP, 'X', 0}};
    for (const auto& one : cases)
        EXPECT_EQ(one.event ? Events({{one.event, one.key ? 0u : (DWORD)MAKELONG(12, 7)}}) : Events(),
                  Send(one.message, one.key, 12, 7))
            << "message " << std::hex << one.message;
    other.Open(IDD_TEST_CONTROLS);
    onEvent = [](ImageControl* self)
    {
        self->dialog.Close(0);
        self->control.~C_ImageControl();
        new (&self->control) C_ImageControl;
        HWND victim = self->other.Item(IDC_PICTURE);
        self->control.Setup(victim, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, IDB_TEST_PICTURE, 0,
                            NULL, NULL, 0, 0);
        SetWindowPos(victim, NULL, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
    ASSERT_FALSE(IsWindow(picture));
    GetWindowRect(other.Item(IDC_PICTURE), &client);
    EXPECT_EQ(5, client.right - client.left) << "the other control was resized";
}
