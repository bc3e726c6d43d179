#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Resource.h"
#include "support/TestDialog.h"
#include "sys/Target.h"
#include "ui/ImageControl.h"
#include "ui/LinkControl.h"
#include "ui/ListView.h"
#include "ui/SubClassing.h"
#include "ui/Typhoon.h"

namespace
{
// The test program's own resources (UiTestResources.rc): three 8 x 13 cells and a 40 x 30 picture of
// four 20 x 15 quadrants, each of solid colours, and the dialog of the controls.
const WORD kDim = 901, kMedium = 902, kBright = 903, kPicture = 904, kControls = 910;
const int kPictureItem = 1001, kListItem = 1003, kCentred = 1004, kRight = 1005, kLeft = 1006, kNarrow = 1007;
const COLORREF kQuadrants[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200), RGB(240, 200, 0)};
const HINSTANCE kSelf = GetModuleHandleA(NULL);

// The dialog of the controls, in front and with the focus, so that real input reaches it.
struct Controls : ::testing::Test
{
    C_TestDialog dialog;
    HWND parent = dialog.Open(kControls);
};

// Installed below the wrapper's subclass: counts only what the wrapper lets reach the control.
WNDPROC g_list;
std::map<std::pair<UINT, WPARAM>, int> g_seen;

LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_seen[{message, wparam}]++;
    return CallWindowProcA(g_list, window, message, wparam, lparam);
}

// Four rows in one column.
struct ListView : Controls
{
    HWND list = dialog.Item(kListItem);
    C_ListView view;

    void SetUp() override
    {
        g_list = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)Spy));
        ASSERT_EQ(1, view.Attach(list, kSelf));
        view.InsertColumn("Name", 0, 120, LVCFMT_LEFT, C_ListView::kKeepWidth);
        for (int row = 0; row < 4; row++)
            view.InsertItem("row", -2, 0, 1000);
        g_seen.clear();
    }
    int Ask(UINT message, WPARAM wparam = 0) { return (int)SendMessageA(list, message, wparam, 0); }
};

typedef std::vector<std::pair<int, DWORD>> Events; // code, value

struct ImageControl : Controls
{
    HWND picture = dialog.Item(kPictureItem);
    RECT units = {0, 0, 100, 100}, client = {}; // units: the reference size of an unscaled picture
    C_ImageControl control;
    Events events;
    void (*then)(ImageControl*) = NULL; // after each event

    static void Record(int code, DWORD value, void* self)
    {
        static_cast<ImageControl*>(self)->events.push_back({code, value});
        if (static_cast<ImageControl*>(self)->then)
            static_cast<ImageControl*>(self)->then(static_cast<ImageControl*>(self));
    }
    void Setup(int width, int height)
    {
        control.Setup(picture, kSelf, C_ImageControl::kPaintBitmap, kPicture, 0, Record, this, width, height);
        GetClientRect(picture, &client);
    }
    Events Send(UINT message, WPARAM wparam, int x, int y)
    {
        events.clear();
        SendMessageA(picture, message, wparam, MAKELPARAM(x, y));
        return events;
    }
};

std::vector<std::string> g_opened; // the shell calls, caught: the tests never open a browser

BOOL WINAPI FakeShellExecute(SHELLEXECUTEINFOA* info)
{
    EXPECT_TRUE(info->cbSize == Target::kShellExecuteInfoSize && info->nShow == SW_SHOW && !info->fMask &&
                !info->hwnd && !info->lpVerb && !info->lpParameters && !info->lpDirectory);
    return g_opened.push_back(info->lpFile), TRUE;
}

struct Link : Controls
{
    std::unique_ptr<C_LinkControl> link; // made at Setup: a tracker looks TrackMouseEvent up when made
    HWND window = NULL;
    RECT client = {};

    void SetUp() override { C_LinkControl::InjectShellExecute(FakeShellExecute), Leave(); }
    void TearDown() override { C_MouseLeaveTracker::InjectLibraryName(NULL); }
    void Setup(int id, const std::string& target = "t", WORD cursor = IDC_LINK_CURSOR,
               const char* text = "www.x.com")
    {
        GetClientRect(window = dialog.Item(id), &client);
        link.reset(new C_LinkControl);
        link->Setup(window, text, target.c_str(), cursor);
        PumpMessages(30);
    }
    void MoveTo(int x) { MoveCursorToClient(window, x, client.bottom / 2); }
    bool Hovering() const { return link && (link->State() & C_LinkControl::kHovering); }
    // Moves the mouse off the dialog; the milliseconds until the hover has ended (3 s at most).
    DWORD Leave()
    {
        SetCursorPos(0, 0);
        DWORD start = GetTickCount();
        do
            PumpMessages(5);
        while (Hovering() && ElapsedSince(start) < 3000);
        return ElapsedSince(start);
    }
};

const UINT kProbe = WM_USER + 7;

// Counts the probes it saw and passes them on. (The controls' tests show the answers from the slot.)
int Record(HWND, UINT message, WPARAM, LPARAM, LRESULT*, void* seen)
{
    return *static_cast<int*>(seen) += message == kProbe, 0;
}
} // namespace

// Without the control style the wrapper sets, the list would destroy the image lists with itself.
TEST_F(ListView,
       RedrawNestsCtrlASelectsAllTheRealThemeLibraryGivesTheExplorerThemeAndTheImageListsAreTheWrappers)
{
    for (int on : {1, 0, 0, 1}) // the first is unmatched
        view.SetRedraw(on);
    EXPECT_TRUE(
        (g_seen[{WM_SETREDRAW, FALSE}] == 1 && g_seen[{WM_SETREDRAW, TRUE}] == 0 && !g_seen[{WM_PAINT, 0}]));
    view.SetRedraw(1);
    view.SetRedraw(1);
    EXPECT_TRUE(
        (g_seen[{WM_SETREDRAW, FALSE}] == 1 && g_seen[{WM_SETREDRAW, TRUE}] == 1 && g_seen[{WM_PAINT, 0}]));
    SetFocus(list);
    PressKey('A');
    PressKey(VK_DOWN);
    EXPECT_TRUE((Ask(LVM_GETSELECTEDCOUNT) == 1 && g_seen[{WM_KEYDOWN, VK_DOWN}] == 1)) << "other keys pass";
    Key(VK_CONTROL, true);
    PressKey('A');
    Key(VK_CONTROL, false);
    EXPECT_TRUE((Ask(LVM_GETSELECTEDCOUNT) == 4 && g_seen[{WM_KEYDOWN, 'A'}] == 0));
    for (const char* library :
         {"no-such-uxtheme.dll", "msimg32.dll", (const char*)NULL}) // NULL: the real one
    {
        view.Release(), g_seen.clear(), C_Theme::InjectLibraryName(library);
        EXPECT_TRUE((view.Attach(list, kSelf) && g_seen[{WM_THEMECHANGED, 0}] == !library)) << library;
    }
    ASSERT_EQ(0, view.SmallImages().AddIcon(kSelf, IDI_ROW));
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(view.SmallImages().Handle(), 0, &info)); // its bitmap can be checked
    EXPECT_EQ(0, C_ListView().Attach(list, kSelf));
    EXPECT_EQ(view.SmallImages().Handle(), (HIMAGELIST)SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    BITMAP bitmap;
    DestroyWindow(list);
    EXPECT_TRUE(GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap)) << "the control did not destroy the list";
    view.Release();
    EXPECT_FALSE(GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap));
}

TEST_F(ImageControl, ThePictureFillsTheControlScaledByTheDialogUnitsOverTheReferenceAndASecondControlNothing)
{
    MapDialogRect(parent, &units);
    ASSERT_GT(units.right, 120) << "the test dialog's units are larger than the references below";
    const struct
    {
        int width, height; // the reference; 0: none, shown unscaled rather than divided by
    } references[] = {{units.right, units.bottom}, {0, 0}, {100, 90}, {units.right, 90}};
    for (const auto& one : references)
    {
        SCOPED_TRACE(testing::Message() << "reference " << one.width << " x " << one.height);
        Setup(one.width, one.height);
        EXPECT_NEAR(one.width ? 40.0 * units.right / one.width : 40, client.right, 1);
        EXPECT_NEAR(one.height ? 30.0 * units.bottom / one.height : 30, client.bottom, 1);
        for (int quadrant = 0, w = client.right, h = client.bottom; quadrant < 4;
             quadrant++) // centre, corner
        {
            int right = quadrant % 2, bottom = quadrant / 2;
            EXPECT_EQ(kQuadrants[quadrant],
                      ClientPixel(picture, w * (1 + 2 * right) / 4, h * (1 + 2 * bottom) / 4));
            EXPECT_EQ(kQuadrants[quadrant], ClientPixel(picture, right * (w - 1), bottom * (h - 1)));
        }
        // The control's last pixel is the picture's last (x 38 or 39, y 28 or 29) in its coordinates.
        Events last = Send(WM_LBUTTONDOWN, MK_LBUTTON, client.right - 1, client.bottom - 1);
        EXPECT_TRUE(last.size() == 1 && (last[0].second & ~0x10001u) == MAKELONG(38, 28)) << last[0].second;
    }
    RECT before = client;
    C_ImageControl().Setup(picture, kSelf, C_ImageControl::kPaintBitmap, kDim, 0, NULL, NULL, 10, 10);
    EXPECT_TRUE(GetClientRect(picture, &client) && EqualRect(&before, &client))
        << "a second control is refused";
}

// The owner may close the dialog in its callback, and the control's memory may then hold another
// control at once: once the window is gone, the click touches its control no more.
TEST_F(ImageControl, ARealClickGivesItsEventAndAClickWhoseCallbackClosedTheWindowLeavesTheControlAlone)
{
    Setup(0, 0);
    MoveCursorToClient(picture, 25, 3);
    PressKey(kLeftButton);
    EXPECT_EQ(Events({{1, MAKELONG(25, 3)}}), events)
        << "a real click reaches the static control (SS_NOTIFY)";
    static C_TestDialog other;
    other.Open(kControls);
    then = [](ImageControl* self)
    {
        self->dialog.Close(0);
        self->control.~C_ImageControl();
        new (&self->control) C_ImageControl;
        self->control.Setup(other.Item(kPictureItem), kSelf, C_ImageControl::kPaintBitmap, kPicture, 0, NULL,
                            NULL, 0, 0);
        SetWindowPos(other.Item(kPictureItem), NULL, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
    ASSERT_FALSE(IsWindow(picture));
    GetWindowRect(other.Item(kPictureItem), &client);
    EXPECT_EQ(5, client.right - client.left) << "the other control was resized";
}

// A window left behind would reach a dead object.
TEST_F(Controls, TyphoonRunsAndEachObjectRegistersTheClassOnceAndTakesItsWindowAlong)
{
    C_Typhoon other;
    auto create = [&](C_Typhoon& bar)
    { return bar.Create(10, 150, 98, 2, kSelf, parent, kDim, kMedium, kBright); };
    for (int round = 0; round < 2; round++) // the second: after the first object gave the class back
    {
        C_Typhoon* bar = new C_Typhoon;
        ASSERT_TRUE(create(*bar) && !create(other)) << "the class name is taken";
        HWND old = bar->Handle();
        ASSERT_TRUE(create(*bar) && !IsWindow(old)) << "one window per object, the class kept";
        bar->Run(20);
        PumpMessages(200);
        EXPECT_GT(bar->Position(), 0) << "the timer moves the cell";
        old = bar->Handle();
        delete bar;
        EXPECT_FALSE(IsWindow(old));
    }
}

TEST(ParseBrowserColour, TakesThreeNumbersEachCutToAByteAndElseLeavesTheColour)
{
    COLORREF colour = 7;
    EXPECT_TRUE(!ParseBrowserColour("10,20", &colour) && !ParseBrowserColour(NULL, &colour) && colour == 7);
    EXPECT_TRUE(ParseBrowserColour("0,128,300", &colour) && colour == RGB(0, 128, 44));
}

// The cursor is the arrow when the link's cannot be loaded; a target of 260 characters would be cut, so
// it opens nothing.
TEST_F(Link, OnlyTheTextWhereverItIsAlignedHoversAndOpensAtButtonUpEnterAndSpace)
{
    const struct
    {
        int id, align, cursor, target; // align: halves of the free space left of the text
    } cases[] = {{kCentred, 1, IDC_LINK_CURSOR, 259}, {kRight, 2, 9999, 1}, {kLeft, 0, IDC_LINK_CURSOR, 260}};
    for (const auto& one : cases)
    {
        const std::string target(one.target, 'x');
        const std::vector<std::string> opened(one.target < 260, target);
        Setup(one.id, target, one.cursor);
        HCURSOR cursor = one.cursor == 9999 ? LoadCursorA(NULL, IDC_ARROW)
                                            : LoadCursorA(kSelf, MAKEINTRESOURCEA(one.cursor));
        int width = link->TextSize().cx, left = (client.right - width) * one.align / 2;
        ASSERT_TRUE(width > 20 && width < client.right - 20);
        for (int x : {left - 3, left + 3, left + width - 3, left + width + 3})
        {
            if (x < 0 || x >= client.right)
                continue;
            bool over = x > left && x < left + width;
            MoveTo(x);
            EXPECT_TRUE(over == link->IsOverText() && over == Hovering() && (!over || GetCursor() == cursor))
                << x;
            Key(kLeftButton, true);
            EXPECT_TRUE(g_opened.empty());
            Key(kLeftButton, false);
            EXPECT_EQ(over ? opened : std::vector<std::string>(), g_opened) << one.id << " at " << x;
            g_opened.clear();
        }
        SetFocus(window);
        PressKey('X');
        PressKey(VK_RETURN);
        PressKey(VK_SPACE);
        EXPECT_EQ(opened.size() * 2, g_opened.size()) << one.id;
        g_opened.clear();
        MoveTo(left + width / 2);
        EXPECT_LT(Leave(), 1000u) << "TrackMouseEvent ends the hover";
    }
}

// Both fonts have the same height, so that hovering never changes the text's size.
TEST_F(Link, ATextTooLongShrinksTheFontAndComesBackInWholeCharacters)
{
    Setup(kNarrow, "t", IDC_LINK_CURSOR, "a text much longer than its narrow control");
    C_LinkControl().Setup(window, "other text", "t", 0);
    LOGFONTA font, plain; // the same height, so that hovering never changes the text's size
    EXPECT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(font), &font) && font.lfHeight == 4 &&
                GetObjectA(link->PlainFont(), sizeof(plain), &plain) && plain.lfHeight == 4);
    char buffer[8] = "#######";
    EXPECT_EQ(4, (int)SendMessageA(window, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(0, (int)SendMessageA(window, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(std::string("a te\0##", 8), std::string(buffer, 8));
}

// A disabled link gets no mouse; enabled under it, it hovers at once.
TEST_F(Link, InjectedMissingTrackMouseEventPollsAndEndsAHoverBegunByEnabling)
{
    C_MouseLeaveTracker::InjectLibraryName("msimg32.dll");
    Setup(kCentred);
    EnableWindow(window, FALSE);
    MoveTo(client.right / 2);
    EXPECT_FALSE(Hovering());
    EnableWindow(window, TRUE);
    PumpMessages(150);
    EXPECT_TRUE(Hovering() && link->Tracker().IsPolling()) << "while the mouse stays";
    EXPECT_LE(Leave(), 250u) << "one 100 ms tick, and room for a busy machine";
    EXPECT_FALSE(link->Tracker().IsPolling());
}

// A destroyed window loses its properties, and its handle may come to name another window: without the
// kind's property, a message is dropped and Detach leaves the window's procedure alone.
TEST(C_SubClassing, EachKindAttachesOnceStacksAndComesOffInReverseOrderAndNeedsItsProperty)
{
    C_CountingWindow plain;
    HWND window = plain.Handle();
    auto probe = [&]() { return SendMessageA(window, kProbe, 0, 0); };
    auto procedure = [&]() { return GetWindowLongPtrA(window, GWLP_WNDPROC); };
    const LONG_PTR original = procedure();
    int image = 0, link = 0, second = 0;
    C_SubClassing imageKind(C_SubClassing::kImageControl), linkKind(C_SubClassing::kLink),
        secondLink(C_SubClassing::kLink);
    EXPECT_EQ(0, secondLink.Detach()) << "never attached";
    ASSERT_TRUE(imageKind.Attach(window, Record, &image) && linkKind.Attach(window, Record, &link));
    const LONG_PTR installed = procedure();
    EXPECT_TRUE(!secondLink.Attach(window, Record, &second) && installed == procedure())
        << "it would call itself";
    probe();
    EXPECT_TRUE(link == 1 && image == 1 && second == 0 && plain.Count(kProbe) == 1);
    EXPECT_EQ(1, linkKind.Detach());
    probe();
    EXPECT_TRUE(link == 1 && image == 2 && plain.Count(kProbe) == 2);
    EXPECT_TRUE(imageKind.Detach() && original == procedure());
    EXPECT_TRUE(!linkKind.Detach() && original == procedure()) << "a second Detach puts back nothing";

    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(C_SubClassing::kLink, name);
    ASSERT_TRUE(linkKind.Attach(window, Record, &link) && RemovePropA(window, name) == &linkKind);
    EXPECT_TRUE(probe() == 0 && link == 1 && plain.Count(kProbe) == 2) << "dropped";
    EXPECT_TRUE(linkKind.Detach() && original != procedure()) << "left alone";
    SetWindowLongPtrA(window, GWLP_WNDPROC, original);
}
