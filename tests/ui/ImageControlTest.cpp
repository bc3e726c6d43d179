#include <gtest/gtest.h>

#include <vector>

#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestDialog.h"
#include "ui/ImageControl.h"

namespace
{
// The test picture: 40 x 30 pixels in four solid quadrants of 20 x 15.
const COLORREF kTopLeft = RGB(200, 0, 0);
const COLORREF kTopRight = RGB(0, 160, 0);
const COLORREF kBottomLeft = RGB(0, 0, 200);
const COLORREF kBottomRight = RGB(240, 200, 0);

struct Event
{
    int code;
    DWORD value;
};

struct ImageFixture : ::testing::Test
{
    C_TestDialog dialog;
    HWND picture = NULL;
    C_ImageControl control;
    std::vector<Event> events;

    static void Record(int code, DWORD value, void* self)
    {
        static_cast<ImageFixture*>(self)->events.push_back(Event{code, value});
    }
    void Open(WORD templateId, int pictureId = IDC_PICTURE)
    {
        ASSERT_TRUE(dialog.Open(templateId) != NULL);
        picture = dialog.Item(pictureId);
        ASSERT_TRUE(picture != NULL);
    }
    // The pixels that 100 x 100 dialog units of the test dialog measure.
    SIZE Mapped()
    {
        RECT units = {0, 0, 100, 100};
        MapDialogRect(dialog.Handle(), &units);
        SIZE size = {units.right, units.bottom};
        return size;
    }
    void Setup(WORD bitmapId, WORD cursorId, int referenceWidth, int referenceHeight)
    {
        control.Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, bitmapId, cursorId,
                      Record, this, referenceWidth, referenceHeight);
    }
    void SetupUnscaled(WORD bitmapId = IDB_TEST_PICTURE, WORD cursorId = 0)
    {
        SIZE mapped = Mapped();
        Setup(bitmapId, cursorId, mapped.cx, mapped.cy);
    }
    SIZE ClientSize()
    {
        RECT client;
        GetClientRect(picture, &client);
        SIZE size = {client.right, client.bottom};
        return size;
    }
};
} // namespace

TEST(C_ImageControl, BitmapPointDividesEachUnsignedHalfByItsFactor)
{
    EXPECT_EQ((DWORD)MAKELONG(10, 20), C_ImageControl::BitmapPoint(MAKELPARAM(10, 20), 1.0f, 1.0f));
    EXPECT_EQ((DWORD)MAKELONG(6, 13), C_ImageControl::BitmapPoint(MAKELPARAM(10, 20), 1.5f, 1.5f))
        << "truncated";
    EXPECT_EQ((DWORD)MAKELONG(0xFFFF, 3), C_ImageControl::BitmapPoint(MAKELPARAM(-1, 3), 1.0f, 1.0f))
        << "a position left of the control is a large unsigned x";
}

TEST_F(ImageFixture, AtTheReferenceSizeTheFactorsAreExactlyOneAndThePictureIsCopiedAsItIs)
{
    Open(IDD_TEST_CONTROLS);
    SetupUnscaled();
    EXPECT_EQ(1.0f, control.ScaleX());
    EXPECT_EQ(1.0f, control.ScaleY());
    SIZE size = ClientSize();
    EXPECT_EQ(40, size.cx) << "resized to the bitmap";
    EXPECT_EQ(30, size.cy);
    EXPECT_TRUE(GetWindowLongA(picture, GWL_STYLE) & SS_NOTIFY);

    C_Capture capture;
    ASSERT_EQ(1, capture.Take(picture));
    EXPECT_EQ(20 * 15, capture.Count(kTopLeft));
    EXPECT_EQ(20 * 15, capture.Count(kTopRight));
    EXPECT_EQ(20 * 15, capture.Count(kBottomLeft));
    EXPECT_EQ(20 * 15, capture.Count(kBottomRight));
    EXPECT_EQ(kTopLeft, capture.At(19, 14));
    EXPECT_EQ(kBottomRight, capture.At(20, 15));
}

TEST_F(ImageFixture, AtALargerDialogFontThePictureIsStretchedAndTheControlGrows)
{
    Open(IDD_TEST_LARGE_FONT);
    Setup(IDB_TEST_PICTURE, 0, 150, 163);
    SIZE mapped = Mapped();
    float scaleX = (float)mapped.cx / 150, scaleY = (float)mapped.cy / 163;
    EXPECT_EQ(scaleX, control.ScaleX());
    EXPECT_EQ(scaleY, control.ScaleY());
    ASSERT_GT(scaleX, 1.2f) << "the 16-point dialog is larger than the reference";
    SIZE size = ClientSize();
    EXPECT_EQ((int)(40 * scaleX), size.cx);
    EXPECT_EQ((int)(30 * scaleY), size.cy);

    C_Capture capture;
    ASSERT_EQ(1, capture.Take(picture));
    EXPECT_EQ(kTopLeft, capture.At(size.cx / 4, size.cy / 4));
    EXPECT_EQ(kTopRight, capture.At(size.cx * 3 / 4, size.cy / 4));
    EXPECT_EQ(kBottomLeft, capture.At(size.cx / 4, size.cy * 3 / 4));
    EXPECT_EQ(kBottomRight, capture.At(size.cx * 3 / 4, size.cy * 3 / 4));
    EXPECT_EQ(kBottomRight, capture.At(size.cx - 1, size.cy - 1)) << "the picture fills the grown control";

    // A click is reported in the picture's own coordinates.
    SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(size.cx - 1, size.cy - 1));
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(C_ImageControl::BitmapPoint(MAKELPARAM(size.cx - 1, size.cy - 1), scaleX, scaleY),
              events[0].value);
    EXPECT_LT(LOWORD(events[0].value), 40);
    EXPECT_LT(HIWORD(events[0].value), 30);
}

TEST_F(ImageFixture, MouseAndKeyMessagesGiveTheirEvents)
{
    Open(IDD_TEST_CONTROLS);
    SetupUnscaled();
    const LPARAM at = MAKELPARAM(12, 7);
    struct
    {
        UINT message;
        WPARAM wparam;
        int expected; // 0: no event
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 1},
        {WM_LBUTTONUP, 0, 0},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 1},
        {WM_RBUTTONDOWN, MK_RBUTTON, 5},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, 5},
        {WM_RBUTTONUP, 0, 6},
        {WM_KEYUP, VK_SPACE, 7},
        {WM_KEYUP, VK_RETURN, 8},
        {WM_KEYUP, 'X', 0},
    };
    for (const auto& one : cases)
    {
        events.clear();
        EXPECT_EQ(0, SendMessageA(picture, one.message, one.wparam, at));
        if (!one.expected)
        {
            EXPECT_TRUE(events.empty()) << "message " << std::hex << one.message;
            continue;
        }
        ASSERT_EQ(1u, events.size()) << "message " << std::hex << one.message;
        EXPECT_EQ(one.expected, events[0].code);
        EXPECT_EQ(one.message == WM_KEYUP ? 0u : (DWORD)MAKELONG(12, 7), events[0].value);
    }
}

TEST_F(ImageFixture, ARealClickGivesOneEventAtButtonDownAndNoneAtButtonUp)
{
    Open(IDD_TEST_CONTROLS);
    SetupUnscaled();
    MoveCursorToClient(picture, 25, 3);
    LeftButton(1);
    ASSERT_EQ(1u, events.size()) << "the static control receives the mouse (SS_NOTIFY)";
    EXPECT_EQ(1, events[0].code);
    EXPECT_EQ((DWORD)MAKELONG(25, 3), events[0].value);
    LeftButton(0);
    EXPECT_EQ(1u, events.size());
}

TEST_F(ImageFixture, NoFocusRectangleWithoutTabStop)
{
    Open(IDD_TEST_CONTROLS);
    SetupUnscaled();
    EXPECT_TRUE(control.State() & C_ImageControl::kNoFocusRect);
    C_Capture before, after;
    ASSERT_EQ(1, before.Take(picture));
    SetFocus(picture);
    PumpMessages(30);
    EXPECT_TRUE(control.State() & C_ImageControl::kFocused);
    ASSERT_EQ(1, after.Take(picture));
    EXPECT_EQ(before.Count(kTopLeft), after.Count(kTopLeft));
    EXPECT_EQ(20 * 15, after.Count(kTopLeft));
    EXPECT_EQ(20 * 15, after.Count(kBottomRight));
}

TEST_F(ImageFixture, WithTabStopTheFocusedControlDrawsAFocusRectangle)
{
    Open(IDD_TEST_CONTROLS, IDC_PICTURE_TABSTOP);
    ASSERT_EQ(picture, GetFocus()) << "the dialog's first tab stop";
    SetupUnscaled();
    EXPECT_FALSE(control.State() & C_ImageControl::kNoFocusRect);
    EXPECT_TRUE(control.State() & C_ImageControl::kFocused) << "already focused at set-up";
    C_Capture focused;
    ASSERT_EQ(1, focused.Take(picture));
    EXPECT_LT(focused.Count(kTopLeft), 20 * 15) << "the dotted rectangle changes border pixels";
    EXPECT_LT(focused.CountInRow(kTopLeft, 0), 20) << "dots along the top edge";
    EXPECT_EQ(kTopLeft, focused.At(10, 7)) << "inside stays the picture";
    SetFocus(dialog.Item(IDC_LIST));
    PumpMessages(30);
    EXPECT_FALSE(control.State() & C_ImageControl::kFocused);
    ASSERT_EQ(1, focused.Take(picture));
    EXPECT_EQ(20 * 15, focused.Count(kTopLeft));
    SetFocus(picture);
    PumpMessages(30);
    EXPECT_TRUE(control.State() & C_ImageControl::kFocused);
    ASSERT_EQ(1, focused.Take(picture));
    EXPECT_LT(focused.Count(kTopLeft), 20 * 15);
}

TEST_F(ImageFixture, AMissingBitmapLeavesTheControlEmptyAndTheSameSize)
{
    Open(IDD_TEST_CONTROLS);
    SIZE before = ClientSize();
    SetupUnscaled(9999);
    EXPECT_TRUE(control.Bitmap() == NULL);
    SIZE after = ClientSize();
    EXPECT_EQ(before.cx, after.cx);
    EXPECT_EQ(before.cy, after.cy);
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(picture));
    for (COLORREF colour : {kTopLeft, kTopRight, kBottomLeft, kBottomRight})
        EXPECT_EQ(0, capture.Count(colour));
    SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    EXPECT_EQ(1u, events.size()) << "clicks are still reported";
    after = ClientSize();
    EXPECT_EQ(before.cx, after.cx);
}

TEST_F(ImageFixture, ACursorIdSetsTheCursorFromTheModuleOrTheSystem)
{
    Open(IDD_TEST_CONTROLS);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW), hand = LoadCursorA(NULL, IDC_HAND);

    SetupUnscaled(IDB_TEST_PICTURE, 0x7F89); // IDC_HAND, a system cursor
    SetCursor(arrow);
    SendMessageA(picture, WM_SETCURSOR, reinterpret_cast<WPARAM>(picture), overClient);
    EXPECT_EQ(hand, GetCursor());

    SetupUnscaled(IDB_TEST_PICTURE, IDC_LINK_CURSOR);
    SendMessageA(picture, WM_SETCURSOR, reinterpret_cast<WPARAM>(picture), overClient);
    HCURSOR own = LoadCursorA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    ASSERT_TRUE(own != NULL);
    EXPECT_EQ(own, GetCursor());

    SetupUnscaled(IDB_TEST_PICTURE, 0);
    SetCursor(hand);
    SendMessageA(picture, WM_SETCURSOR, reinterpret_cast<WPARAM>(picture), overClient);
    EXPECT_EQ(arrow, GetCursor()) << "without an id the static control sets its class cursor";
}

TEST_F(ImageFixture, ReleaseHandsTheWindowBackAndSetupAgainReplacesTheConfiguration)
{
    Open(IDD_TEST_CONTROLS);
    LONG_PTR original = GetWindowLongPtrA(picture, GWLP_WNDPROC);
    SetupUnscaled();
    SetupUnscaled(); // releases the first configuration, attaches anew
    SendMessageA(picture, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(1u, events.size());
    control.Release();
    EXPECT_EQ(original, GetWindowLongPtrA(picture, GWLP_WNDPROC));
    EXPECT_TRUE(control.Bitmap() == NULL);
    SendMessageA(picture, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(1u, events.size());
}

TEST_F(ImageFixture, ASecondImageControlOnTheSameWindowLeavesTheFirstWorking)
{
    Open(IDD_TEST_CONTROLS);
    SetupUnscaled();
    {
        C_ImageControl second;
        second.Setup(picture, GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap, IDB_TEST_DIM, 0, Record,
                     this, 10, 10);
        EXPECT_TRUE(second.Handle() == NULL);
    }
    EXPECT_EQ(40, ClientSize().cx) << "not resized by the refused control";
    SendMessageA(picture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 3));
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(5, events[0].code);
}

namespace
{
// As the about box does: the first click closes the dialog that holds the picture.
void CloseOnClick(int code, DWORD, void* dialog)
{
    if (code == C_ImageControl::kLeftDown)
        static_cast<C_TestDialog*>(dialog)->Close(1);
}
} // namespace

TEST(C_ImageControl, AnOwnerThatClosesTheDialogFromItsCallbackIsSafe)
{
    C_TestDialog dialog;
    ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
    HWND window = dialog.Handle();
    C_ImageControl control;
    control.Setup(dialog.Item(IDC_PICTURE), GetModuleHandleA(NULL), C_ImageControl::kPaintBitmap,
                  IDB_TEST_PICTURE, 0, CloseOnClick, &dialog, 150, 163);
    SendMessageA(dialog.Item(IDC_PICTURE), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    EXPECT_FALSE(IsWindow(window));
    PumpMessages(30);
}
