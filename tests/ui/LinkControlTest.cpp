#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Registry.h"
#include "support/TestDialog.h"
#include "sys/Target.h"
#include "ui/LinkControl.h"

namespace
{
std::vector<std::string> g_opened; // the shell calls, caught: the tests never open a browser

BOOL WINAPI FakeShellExecute(SHELLEXECUTEINFOA* info)
{
    EXPECT_TRUE(info->cbSize == Target::kShellExecuteInfoSize && info->nShow == SW_SHOW && !info->fMask &&
                !info->hwnd && !info->lpVerb && !info->lpParameters && !info->lpDirectory);
    return g_opened.push_back(info->lpFile), TRUE;
}

// Each test starts and ends without the browser's keys (the test prefix's; its browser is disabled).
struct LinkWithFakeShell : ::testing::Test
{
    C_ScratchKey settings{"Software\\Microsoft\\Internet Explorer\\Settings"},
        main{"Software\\Microsoft\\Internet Explorer\\Main"};
    C_TestDialog dialog;
    std::unique_ptr<C_LinkControl> link; // made at Setup: a tracker looks TrackMouseEvent up when made
    HWND window = NULL;
    RECT client = {};

    void SetUp() override
    {
        C_LinkControl::InjectShellExecute(FakeShellExecute); // for good: never a real browser
        dialog.Open(IDD_TEST_CONTROLS);
        Leave();
    }
    void TearDown() override { C_MouseLeaveTracker::InjectLibraryName(NULL); }
    void Setup(int id, const std::string& target = "t", WORD cursor = IDC_LINK_CURSOR,
               const char* text = "www.x.com")
    {
        window = dialog.Item(id);
        GetClientRect(window, &client);
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
    // Text of `colour`; underlined: a row in which it runs along most of the text.
    void ExpectDrawn(COLORREF colour, bool underlined)
    {
        C_Capture capture;
        ASSERT_EQ(1, capture.Take(window));
        EXPECT_GT(capture.Count(colour), 20) << std::hex << colour;
        bool underline = false;
        for (int row = 0; row < capture.height; row++)
            underline |= capture.Count(colour, row, 1) >= link->TextSize().cx * 8 / 10;
        EXPECT_EQ(underlined, underline) << std::hex << colour;
    }
};
} // namespace

TEST_F(LinkWithFakeShell, TheBrowserSettingsGiveTheColoursAndTheUnderline)
{
    const COLORREF hotLight = GetSysColor(COLOR_HOTLIGHT), blue = RGB(0, 0, 255);
    ASSERT_NE(blue, hotLight);
    const char* keys[] = {"Anchor Color", "Anchor Color Hover", "Anchor Underline"};
    const struct
    {
        const char* values[3]; // of the keys; none at all in the first case
        COLORREF hovered;
        bool underlinedBeforeHover;
    } cases[] = {{{}, hotLight, true},
                 {{"10,20", "0,128,300", "yes"}, RGB(0, 128, 44), true},
                 {{"", "", "Hover"}, hotLight, false}};
    for (const auto& one : cases)
    {
        for (int key = 0; one.values[0] && key < 3; key++)
            (key < 2 ? settings : main).SetString(keys[key], one.values[key]);
        Setup(IDC_LINK_CENTRED);
        ExpectDrawn(blue, one.underlinedBeforeHover);
        MoveTo(client.right / 2);
        ExpectDrawn(one.hovered, true);
        EXPECT_LT(Leave(), 1000u) << "TrackMouseEvent ends the hover";
    }
}

// Over the text the link hovers with its cursor (the arrow when it cannot be loaded) and opens a target
// of up to 259 characters when the button comes up there, or at Enter and Space; beside the text
// nothing happens.
TEST_F(LinkWithFakeShell, OnlyTheTextWhereverItIsAlignedHoversAndOpensAtButtonUpEnterAndSpace)
{
    const struct
    {
        int id, align; // halves of the free space left of the text
        WORD cursor;
        size_t target;
    } cases[] = {{IDC_LINK_CENTRED, 1, IDC_LINK_CURSOR, 259},
                 {IDC_LINK_RIGHT, 2, 9999, 1},
                 {IDC_LINK_LEFT, 0, IDC_LINK_CURSOR, 260}};
    for (const auto& one : cases)
    {
        const std::string target(one.target, 'x');
        const std::vector<std::string> opened(one.target < 260, target);
        Setup(one.id, target, one.cursor);
        HCURSOR cursor = one.cursor == 9999
                             ? LoadCursorA(NULL, IDC_ARROW)
                             : LoadCursorA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(one.cursor));
        int width = link->TextSize().cx, left = (client.right - width) * one.align / 2;
        ASSERT_TRUE(width > 20 && width < client.right - 20);
        for (int x : {left - 3, left + 3, left + width - 3, left + width + 3})
        {
            if (x < 0 || x >= client.right)
                continue;
            SCOPED_TRACE(testing::Message() << one.id << " at " << x);
            bool over = x > left && x < left + width;
            MoveTo(x);
            EXPECT_TRUE(over == link->IsOverText() && over == Hovering() && (!over || GetCursor() == cursor));
            Key(kLeftButton, true);
            EXPECT_TRUE(g_opened.empty());
            Key(kLeftButton, false);
            EXPECT_EQ(over ? opened : std::vector<std::string>(), g_opened);
            g_opened.clear();
        }
        SetFocus(window);
        PressKey('X');
        PressKey(VK_RETURN);
        PressKey(VK_SPACE);
        EXPECT_EQ(opened.size() * 2, g_opened.size()) << one.id;
        g_opened.clear();
    }
}

TEST_F(LinkWithFakeShell, ATextTooLongShrinksTheFontAndComesBackInWholeCharacters)
{
    Setup(IDC_LINK_NARROW, "t", IDC_LINK_CURSOR, "a text much longer than its narrow control");
    C_LinkControl().Setup(window, "other text", "t", 0); // a second link on the window changes nothing
    LOGFONTA underlined, plain;
    ASSERT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(underlined), &underlined));
    ASSERT_TRUE(GetObjectA(link->PlainFont(), sizeof(plain), &plain));
    EXPECT_EQ(4, underlined.lfHeight) << "shrinking stops above 3 pixels";
    EXPECT_EQ(4, plain.lfHeight) << "so that hovering never changes the text's size";
    char buffer[8] = "#######";
    EXPECT_EQ(4, (int)SendMessageA(window, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(0, (int)SendMessageA(window, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(std::string("a te\0##", 8), std::string(buffer, 8));
}

// A disabled link gets no mouse; enabled under it, it hovers at once. Without TrackMouseEvent a 100 ms
// poll ends either hover.
TEST_F(LinkWithFakeShell, InjectedMissingTrackMouseEventPollsAndEndsAHoverAlsoOneBegunByEnabling)
{
    C_MouseLeaveTracker::InjectLibraryName("msimg32.dll");
    Setup(IDC_LINK_CENTRED);
    EnableWindow(window, FALSE);
    MoveTo(client.right / 2);
    EXPECT_FALSE(Hovering());
    ExpectDrawn(GetSysColor(COLOR_GRAYTEXT), true);
    EnableWindow(window, TRUE);
    for (DWORD dwell : {20u, 145u}) // leaving early and late in a tick
    {
        EXPECT_TRUE(Hovering() && link->Tracker().IsPolling());
        PumpMessages(dwell);
        EXPECT_TRUE(Hovering()) << "while the mouse stays";
        EXPECT_LE(Leave(), 250u) << "one 100 ms tick, and room for a busy machine";
        EXPECT_FALSE(Hovering() || link->Tracker().IsPolling());
        MoveTo(client.right / 2);
    }
}
