#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/Registry.h"
#include "support/TestDialog.h"
#include "sys/Target.h"
#include "ui/LinkControl.h"

namespace
{
const char kTarget[] = "https://www.example.com/karpolin";
const COLORREF kBlue = 0xFF0000;

// The shell calls, caught: the tests never open a browser.
std::vector<std::pair<std::string, int>> g_opened;

BOOL WINAPI FakeShellExecute(SHELLEXECUTEINFOA* info)
{
    EXPECT_EQ(Target::kShellExecuteInfoSize, info->cbSize);
    EXPECT_TRUE(!info->fMask && !info->hwnd && !info->lpVerb && !info->lpParameters && !info->lpDirectory);
    g_opened.push_back({info->lpFile, info->nShow});
    return TRUE;
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
        g_opened.clear();
        C_LinkControl::InjectShellExecute(FakeShellExecute);
        ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
        Leave();
    }
    void TearDown() override
    {
        C_LinkControl::InjectShellExecute(NULL);
        C_MouseLeaveTracker::InjectLibraryName(NULL);
    }
    void Setup(int id, const char* target = kTarget, WORD cursor = IDC_LINK_CURSOR,
               const char* text = "www.x.com")
    {
        window = dialog.Item(id);
        GetClientRect(window, &client);
        link.reset(new C_LinkControl);
        link->Setup(window, text, target, cursor);
        PumpMessages(30);
    }
    void MoveTo(int x) { MoveCursorToClient(window, x, client.bottom / 2); }
    void HoverText() { MoveTo(client.right / 2); } // over a centred text
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
        for (RECT row = {0, 0, capture.width, 1}; row.top < capture.height; row.top++, row.bottom++)
            underline |= capture.Count(colour, &row) >= link->TextSize().cx * 8 / 10;
        EXPECT_EQ(underlined, underline) << std::hex << colour;
    }
};
} // namespace

TEST_F(LinkWithFakeShell, TheBrowserSettingsGiveTheColoursAndTheUnderline)
{
    const COLORREF hotLight = GetSysColor(COLOR_HOTLIGHT);
    ASSERT_NE(kBlue, hotLight);
    const struct
    {
        const char *colour, *hover, *underline; // the first case: no keys at all
        COLORREF hovered;
        bool underlinedBeforeHover;
    } cases[] = {{NULL, NULL, NULL, hotLight, true},
                 {"10,20", "0,128,300", "yes", RGB(0, 128, 44), true},
                 {"", "", "Hover", hotLight, false}};
    for (const auto& one : cases)
    {
        if (one.colour)
        {
            settings.SetString("Anchor Color", one.colour);
            settings.SetString("Anchor Color Hover", one.hover);
            main.SetString("Anchor Underline", one.underline);
        }
        Setup(IDC_LINK_CENTRED);
        ExpectDrawn(kBlue, one.underlinedBeforeHover);
        HoverText();
        ExpectDrawn(one.hovered, true);
        Leave();
    }
}

TEST_F(LinkWithFakeShell, IsOverTextFollowsTheAlignmentAndBesideTheTextNothingHappens)
{
    for (int id : {IDC_LINK_CENTRED, IDC_LINK_RIGHT, IDC_LINK_LEFT})
    {
        Setup(id);
        int width = link->TextSize().cx, free = client.right - width;
        int left = link->Format() & DT_CENTER ? free / 2 : link->Format() & DT_RIGHT ? free : 0;
        ASSERT_TRUE(width > 20 && width < client.right - 20) << id;
        MoveTo(left + 3);
        EXPECT_EQ(1, link->IsOverText()) << id;
        for (int beside : {left - 3, left + width + 3})
        {
            if (beside < 0 || beside >= client.right)
                continue;
            MoveTo(beside);
            EXPECT_EQ(0, link->IsOverText()) << id << " at " << beside;
            EXPECT_FALSE(Hovering());
            PressKey(kLeftButton);
        }
    }
    EXPECT_TRUE(g_opened.empty());
}

TEST_F(LinkWithFakeShell, AClickOpensAtButtonUpOverTheTextAndEnterAndSpaceOpen)
{
    Setup(IDC_LINK_CENTRED, kTarget, 9999);
    HoverText();
    EXPECT_EQ(LoadCursorA(NULL, IDC_ARROW), GetCursor())
        << "cursor 9999 cannot be loaded: the arrow, not none";
    Key(kLeftButton, true);
    EXPECT_TRUE(g_opened.empty()) << "nothing at button down";
    Key(kLeftButton, false);
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(kTarget, g_opened[0].first);
    EXPECT_EQ(SW_SHOW, g_opened[0].second);
    Key(kLeftButton, true);
    MoveTo(3);
    Key(kLeftButton, false);
    EXPECT_EQ(1u, g_opened.size()) << "released beside the text";

    SetFocus(window);
    PressKey('X');
    PressKey(VK_RETURN);
    PressKey(VK_SPACE);
    ASSERT_EQ(3u, g_opened.size());
    EXPECT_EQ(kTarget, g_opened[2].first);
}

TEST_F(LinkWithFakeShell, GetTextCopiesAtMostSizeMinusOneBytesAndASecondLinkChangesNothing)
{
    Setup(IDC_LINK_LEFT);
    C_LinkControl().Setup(window, "other text", "https://other.example/", 0);
    char buffer[8];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, (int)SendMessageA(window, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(4, (int)SendMessageA(window, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_STREQ("www.", buffer);
    EXPECT_EQ('#', buffer[5]);
}

TEST_F(LinkWithFakeShell, InjectedMissingTrackMouseEventPollsAndEndsTheHoverWithinAbout100ms)
{
    C_MouseLeaveTracker::InjectLibraryName("msimg32.dll");
    Setup(IDC_LINK_CENTRED);
    for (DWORD dwell : {20u, 145u}) // leaving early and late in a tick
    {
        HoverText();
        ASSERT_TRUE(link->Tracker().IsPolling());
        PumpMessages(dwell);
        EXPECT_TRUE(Hovering()) << "while the mouse stays";
        EXPECT_LE(Leave(), 250u) << "one 100 ms tick, and room for a busy machine";
        EXPECT_FALSE(Hovering());
        EXPECT_FALSE(link->Tracker().IsPolling());
    }
}

TEST_F(LinkWithFakeShell, ATargetLongerThan259CharactersIsRefused)
{
    std::string longest(259, 'x'), tooLong(260, 'x');
    Setup(IDC_LINK_CENTRED, longest.c_str());
    link->Activate(C_LinkControl::kEnterUp);
    Setup(IDC_LINK_CENTRED, tooLong.c_str());
    link->Activate(C_LinkControl::kEnterUp);
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(longest, g_opened[0].first);
}

TEST_F(LinkWithFakeShell, AHoverBegunByEnablingUnderTheMouseEndsWhenTheMouseLeaves)
{
    Setup(IDC_LINK_CENTRED);
    EnableWindow(window, FALSE);
    HoverText();
    EXPECT_FALSE(Hovering()) << "a disabled window gets no mouse";
    ExpectDrawn(GetSysColor(COLOR_GRAYTEXT), true);
    EnableWindow(window, TRUE);
    EXPECT_TRUE(Hovering());
    Leave();
    EXPECT_FALSE(Hovering());
}

TEST_F(LinkWithFakeShell, AFontShrunkToFitStaysOneHeightUnderlinedAndPlain)
{
    Setup(IDC_LINK_NARROW, kTarget, IDC_LINK_CURSOR, "a text much longer than its narrow control");
    LOGFONTA underlined, plain;
    ASSERT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(underlined), &underlined));
    ASSERT_TRUE(GetObjectA(link->PlainFont(), sizeof(plain), &plain));
    EXPECT_EQ(4, underlined.lfHeight) << "shrinking stops above 3 pixels";
    EXPECT_EQ(4, plain.lfHeight) << "so that hovering never changes the text's size";
}
