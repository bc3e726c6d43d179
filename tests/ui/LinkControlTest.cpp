#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Resource.h"
#include "resources/TestResources.h"
#include "support/Capture.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/RegistrySnapshot.h"
#include "support/TestDialog.h"
#include "ui/FontTools.h"
#include "ui/LinkControl.h"

namespace
{
const char kSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";
const char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kText[] = "www.example.com";
const char kTarget[] = "https://www.example.com/karpolin";
const COLORREF kBlue = 0xFF0000;

// What the link asked the shell to do; the tests never let it open a browser.
struct ShellCall
{
    SHELLEXECUTEINFOA info;
    std::string file;
};
std::vector<ShellCall> g_shellCalls;

BOOL WINAPI FakeShellExecute(SHELLEXECUTEINFOA* info)
{
    ShellCall call;
    call.info = *info;
    call.file = info->lpFile ? info->lpFile : "(null)";
    g_shellCalls.push_back(call);
    return TRUE;
}

// A dialog that can answer the static controls' colour question with a brush of the test's choice.
class C_LinkTestDialog : public C_TestDialog
{
public:
    HBRUSH staticBrush = NULL;
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CTLCOLORSTATIC && staticBrush)
            return reinterpret_cast<INT_PTR>(staticBrush);
        return C_TestDialog::OnMessage(message, wparam, lparam);
    }
};

// Each test starts from a registry without the browser's link settings: the settings key is
// removed and the underline value too (the main key has subkeys of its own); both come back after.
struct LinkWithFakeShell : ::testing::Test
{
    C_RegistrySnapshot settings{HKEY_CURRENT_USER, kSettingsKey};
    C_RegistrySnapshot main{HKEY_CURRENT_USER, kMainKey};
    C_LinkTestDialog dialog;
    std::unique_ptr<C_LinkControl> link;
    HWND window = NULL;

    void SetUp() override
    {
        g_shellCalls.clear();
        C_LinkControl::InjectShellExecute(FakeShellExecute);
        ASSERT_TRUE(settings.DeleteKey());
        ASSERT_TRUE(main.DeleteValue("Anchor Underline"));
        ASSERT_TRUE(dialog.Open(IDD_TEST_CONTROLS) != NULL);
        MoveCursorToScreen(0, 0);
    }
    void TearDown() override
    {
        link.reset();
        C_LinkControl::InjectShellExecute(NULL);
        C_MouseLeaveTracker::InjectLibraryName(NULL);
    }
    void Setup(int id, const char* text = kText, const char* target = kTarget, WORD cursor = IDC_LINK_CURSOR)
    {
        window = dialog.Item(id);
        ASSERT_TRUE(window != NULL);
        link.reset(new C_LinkControl);
        link->Setup(window, text, target, cursor);
        PumpMessages(30);
    }
    RECT Client()
    {
        RECT client;
        GetClientRect(window, &client);
        return client;
    }
    // The middle of the drawn text, in client coordinates.
    POINT TextMiddle()
    {
        RECT client = Client();
        SIZE text = link->TextSize();
        POINT middle = {text.cx / 2, client.bottom / 2};
        if (link->Format() & DT_CENTER)
            middle.x = client.right / 2;
        else if (link->Format() & DT_RIGHT)
            middle.x = client.right - text.cx / 2;
        return middle;
    }
    void HoverText()
    {
        POINT middle = TextMiddle();
        MoveCursorToClient(window, middle.x, middle.y);
    }
    bool Hovering() const { return (link->State() & C_LinkControl::kHovering) != 0; }
    // A row in which the colour runs along most of the text: the underline (letters leave gaps).
    bool HasUnderline(const C_Capture& capture, COLORREF colour)
    {
        for (int y = 0; y < capture.Height(); y++)
            if (capture.CountInRow(colour, y) >= link->TextSize().cx * 8 / 10)
                return true;
        return false;
    }
};
} // namespace

TEST(CopyWholeCharacters, CopiesAtMostSizeMinusOneBytesAndTerminates)
{
    char buffer[8];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, CopyWholeCharacters(buffer, 0, "abc", 1252));
    EXPECT_EQ('#', buffer[0]) << "size 0 writes nothing";
    EXPECT_EQ(0, CopyWholeCharacters(buffer, 1, "abc", 1252));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(3, CopyWholeCharacters(buffer, 4, "abcdef", 1252));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(3, CopyWholeCharacters(buffer, 8, "abc", 1252));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(0, CopyWholeCharacters(buffer, 8, NULL, 1252));
    EXPECT_STREQ("", buffer);
}

TEST(CopyWholeCharacters, NeverSplitsADoubleByteCharacter)
{
    // "a" and two Shift-JIS characters (code page 932): 1 + 2 + 2 bytes.
    const char text[] = "a\x82\xA0\x82\xA2";
    char buffer[8];
    EXPECT_EQ(1, CopyWholeCharacters(buffer, 3, text, 932)) << "room for 2 bytes: the second would be half";
    EXPECT_STREQ("a", buffer);
    EXPECT_EQ(3, CopyWholeCharacters(buffer, 4, text, 932));
    EXPECT_STREQ("a\x82\xA0", buffer);
    EXPECT_EQ(3, CopyWholeCharacters(buffer, 5, text, 932));
    EXPECT_EQ(5, CopyWholeCharacters(buffer, 6, text, 932));
    EXPECT_EQ(2, CopyWholeCharacters(buffer, 3, text, 1252)) << "single-byte code page: bytes are characters";
    EXPECT_EQ(2, CopyWholeCharacters(buffer, 8, "a\x82", 932)) << "a lead byte at the end stands alone";
}

TEST(ParseBrowserColour, NeedsAllThreeNumbers)
{
    COLORREF colour = 123;
    EXPECT_EQ(0, ParseBrowserColour("10,20", &colour));
    EXPECT_EQ(0, ParseBrowserColour("", &colour));
    EXPECT_EQ(0, ParseBrowserColour(NULL, &colour));
    EXPECT_EQ(123u, colour);
    EXPECT_EQ(1, ParseBrowserColour("10,20,30", &colour));
    EXPECT_EQ(RGB(10, 20, 30), colour);
    EXPECT_EQ(1, ParseBrowserColour("256,511,300", &colour));
    EXPECT_EQ(RGB(0, 255, 44), colour) << "each component's low 8 bits";
}

TEST_F(LinkWithFakeShell, WithoutBrowserSettingsTheLinkIsBlueUnderlinedAndHotLightWhileHovered)
{
    Setup(IDC_LINK_CENTRED);
    EXPECT_EQ(kBlue, link->NormalColour());
    COLORREF hotLight = GetSysColor(COLOR_HOTLIGHT);
    EXPECT_EQ(hotLight, link->HoverColour());
    ASSERT_NE(kBlue, hotLight);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), link->DisabledColour());
    EXPECT_EQ(C_LinkControl::kUnderlineAlways, link->UnderlineMode());
    EXPECT_TRUE(link->State() & C_LinkControl::kUseHoverColour);
    EXPECT_TRUE(link->State() & C_LinkControl::kNoFocusRect);
    EXPECT_EQ((UINT)(DT_SINGLELINE | DT_CENTER | DT_VCENTER), link->Format());

    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(kBlue), 20);
    EXPECT_TRUE(HasUnderline(capture, kBlue));
    EXPECT_EQ(0, capture.Count(hotLight));

    HoverText();
    EXPECT_TRUE(Hovering());
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_EQ(0, capture.Count(kBlue));
    EXPECT_GT(capture.Count(hotLight), 20);
    EXPECT_TRUE(HasUnderline(capture, hotLight));
}

TEST_F(LinkWithFakeShell, BrowserColoursComeFromTheRegistryOnlyWhenComplete)
{
    ASSERT_TRUE(settings.SetString("Anchor Color", "10,20"));
    ASSERT_TRUE(settings.SetString("Anchor Color Hover", "0,128,300"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_EQ(kBlue, link->NormalColour()) << "two numbers keep the default";
    EXPECT_EQ(RGB(0, 128, 44), link->HoverColour());

    ASSERT_TRUE(settings.SetString("Anchor Color", "128,0,128"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_EQ(RGB(128, 0, 128), link->NormalColour());
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(RGB(128, 0, 128)), 20);
    HoverText();
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(RGB(0, 128, 44)), 20);
}

TEST_F(LinkWithFakeShell, UseAnchorHoverColourOtherThanYesKeepsTheNormalColourWhileHovered)
{
    ASSERT_TRUE(settings.SetString("Use Anchor Hover Color", "no"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_FALSE(link->State() & C_LinkControl::kUseHoverColour);
    HoverText();
    ASSERT_TRUE(Hovering());
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(kBlue), 20);
    EXPECT_EQ(0, capture.Count(link->HoverColour()));

    ASSERT_TRUE(settings.SetString("Use Anchor Hover Color", "YES"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_TRUE(link->State() & C_LinkControl::kUseHoverColour) << "compared without regard to case";
}

TEST_F(LinkWithFakeShell, UnderlineHoverDrawsThePlainFontUntilTheMouseIsOverTheText)
{
    ASSERT_TRUE(main.SetString("Anchor Underline", "Hover"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_EQ(C_LinkControl::kUnderlineWhileHovering, link->UnderlineMode());
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(kBlue), 20);
    EXPECT_FALSE(HasUnderline(capture, kBlue));
    HoverText();
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_TRUE(HasUnderline(capture, link->HoverColour()));
}

TEST_F(LinkWithFakeShell, UnderlineNoNeverUnderlinesAndOtherValuesAlwaysDo)
{
    ASSERT_TRUE(main.SetString("Anchor Underline", "no"));
    Setup(IDC_LINK_CENTRED);
    EXPECT_EQ(C_LinkControl::kUnderlineNever, link->UnderlineMode());
    HoverText();
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(link->HoverColour()), 20);
    EXPECT_FALSE(HasUnderline(capture, link->HoverColour()));

    for (const char* value : {"yes", "sometimes"})
    {
        ASSERT_TRUE(main.SetString("Anchor Underline", value));
        Setup(IDC_LINK_CENTRED);
        EXPECT_EQ(C_LinkControl::kUnderlineAlways, link->UnderlineMode()) << value;
    }
}

TEST_F(LinkWithFakeShell, TheFontsAreTheFirstInstalledLinkFaceUnderlinedAndPlainAtOneHeight)
{
    Setup(IDC_LINK_CENTRED);
    const char* expected = C_FontTools::FontFamilyExists("Segoe UI", DEFAULT_CHARSET)  ? "Segoe UI"
                           : C_FontTools::FontFamilyExists("Verdana", DEFAULT_CHARSET) ? "Verdana"
                                                                                       : "Arial";
    LOGFONTA underlined, plain;
    ASSERT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(underlined), &underlined));
    ASSERT_TRUE(GetObjectA(link->PlainFont(), sizeof(plain), &plain));
    EXPECT_STREQ(expected, underlined.lfFaceName);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_EQ(underlined.lfHeight, plain.lfHeight);
    EXPECT_EQ(FW_NORMAL, underlined.lfWeight);
    RECT client = Client();
    EXPECT_LE(link->TextSize().cx, client.right);
    EXPECT_LT(link->TextSize().cy, client.bottom);
}

TEST_F(LinkWithFakeShell, AControlTooNarrowForTheTextShrinksTheFontDownToFourPixels)
{
    Setup(IDC_LINK_NARROW, "a text much longer than its narrow control");
    LOGFONTA font;
    ASSERT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(font), &font));
    EXPECT_EQ(4, font.lfHeight) << "shrinking stops above 3 pixels";
    ASSERT_TRUE(GetObjectA(link->PlainFont(), sizeof(font), &font));
    EXPECT_EQ(4, font.lfHeight);

    Setup(IDC_LINK_NARROW, "ab");
    ASSERT_TRUE(GetObjectA(link->UnderlinedFont(), sizeof(font), &font));
    EXPECT_GT(font.lfHeight, 4);
    EXPECT_LE(link->TextSize().cx, Client().right);
    EXPECT_LT(link->TextSize().cy, Client().bottom);
}

TEST_F(LinkWithFakeShell, IsOverTextFollowsTheAlignment)
{
    struct
    {
        int id;
        UINT format;
    } links[] = {{IDC_LINK_CENTRED, DT_CENTER}, {IDC_LINK_RIGHT, DT_RIGHT}, {IDC_LINK_LEFT, 0}};
    for (const auto& one : links)
    {
        Setup(one.id);
        EXPECT_EQ(one.format, link->Format() & (DT_CENTER | DT_RIGHT));
        RECT client = Client();
        int width = link->TextSize().cx;
        ASSERT_GT(width, 20);
        ASSERT_LT(width, client.right - 20);
        int y = client.bottom / 2;
        int textLeft = one.format == DT_CENTER  ? (client.right - width) / 2
                       : one.format == DT_RIGHT ? client.right - width
                                                : 0;
        MoveCursorToClient(window, textLeft + width / 2, y);
        EXPECT_EQ(1, link->IsOverText()) << one.id;
        MoveCursorToClient(window, textLeft + width / 2, 0);
        EXPECT_EQ(1, link->IsOverText()) << "the height inside the control does not matter";
        int beside = one.format == DT_RIGHT ? 3 : client.right - 3;
        MoveCursorToClient(window, beside, y);
        EXPECT_EQ(0, link->IsOverText()) << one.id;
        if (one.format == DT_CENTER)
        {
            MoveCursorToClient(window, 3, y);
            EXPECT_EQ(0, link->IsOverText());
        }
        MoveCursorToClient(window, textLeft + width / 2, client.bottom + 5);
        EXPECT_EQ(0, link->IsOverText()) << "below the control";
    }
}

TEST_F(LinkWithFakeShell, BesideTheCentredTextThereIsNoHoverAndNoActivation)
{
    Setup(IDC_LINK_CENTRED);
    MoveCursorToClient(window, 3, Client().bottom / 2);
    MoveCursorToClient(window, 4, Client().bottom / 2);
    EXPECT_FALSE(Hovering());
    LeftButton(1);
    LeftButton(0);
    EXPECT_TRUE(g_shellCalls.empty());
}

TEST_F(LinkWithFakeShell, AClickOpensTheTargetAtButtonUpWhileOverTheText)
{
    Setup(IDC_LINK_CENTRED);
    HoverText();
    ASSERT_TRUE(Hovering());
    LeftButton(1);
    EXPECT_TRUE(g_shellCalls.empty()) << "nothing at button down";
    LeftButton(0);
    ASSERT_EQ(1u, g_shellCalls.size());
    const SHELLEXECUTEINFOA& info = g_shellCalls[0].info;
    EXPECT_EQ(60u, info.cbSize);
    EXPECT_EQ(kTarget, g_shellCalls[0].file);
    EXPECT_EQ(SW_SHOW, info.nShow);
    EXPECT_EQ(0u, info.fMask);
    EXPECT_TRUE(info.hwnd == NULL);
    EXPECT_TRUE(info.lpVerb == NULL);
    EXPECT_TRUE(info.lpParameters == NULL);
    EXPECT_TRUE(info.lpDirectory == NULL);

    // Pressed over the text, released after moving beside it: no activation.
    LeftButton(1);
    MoveCursorToClient(window, 3, Client().bottom / 2);
    EXPECT_FALSE(Hovering());
    LeftButton(0);
    EXPECT_EQ(1u, g_shellCalls.size());
}

TEST_F(LinkWithFakeShell, EnterAndSpaceActivateOtherKeysDoNot)
{
    Setup(IDC_LINK_TABSTOP);
    SetFocus(window);
    PumpMessages(30);
    ASSERT_EQ(window, GetFocus());
    PressKey('X');
    EXPECT_TRUE(g_shellCalls.empty());
    PressKey(VK_RETURN);
    ASSERT_EQ(1u, g_shellCalls.size());
    PressKey(VK_SPACE);
    ASSERT_EQ(2u, g_shellCalls.size());
    EXPECT_EQ(kTarget, g_shellCalls[1].file);
    EXPECT_EQ(SW_SHOW, g_shellCalls[1].info.nShow);
}

TEST_F(LinkWithFakeShell, ATargetLongerThan259CharactersIsRefusedAndActivationDoesNothing)
{
    std::string longest(259, 'x'), tooLong(260, 'x');
    Setup(IDC_LINK_CENTRED, kText, longest.c_str());
    EXPECT_EQ(longest, link->Target());
    link->Activate(C_LinkControl::kEnterUp);
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(longest, g_shellCalls[0].file);

    Setup(IDC_LINK_CENTRED, kText, tooLong.c_str());
    EXPECT_STREQ("", link->Target());
    link->Activate(C_LinkControl::kEnterUp);
    link->Activate(C_LinkControl::kLeftUp);
    EXPECT_EQ(1u, g_shellCalls.size());

    Setup(IDC_LINK_CENTRED, kText, NULL);
    link->Activate(C_LinkControl::kSpaceUp);
    EXPECT_EQ(1u, g_shellCalls.size()) << "no target";
    Setup(IDC_LINK_CENTRED);
    link->Activate(C_LinkControl::kLeftDown);
    EXPECT_EQ(1u, g_shellCalls.size()) << "button down never activates";
}

TEST_F(LinkWithFakeShell, GetTextCopiesWholeCharactersWithinTheBufferAndSetTextReplacesTheLink)
{
    Setup(IDC_LINK_LEFT);
    char buffer[32];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(4, GetWindowTextA(window, buffer, 5));
    EXPECT_STREQ("www.", buffer);
    EXPECT_EQ('#', buffer[5]);
    EXPECT_EQ(15, (int)SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer)));
    EXPECT_STREQ(kText, buffer);
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, (int)SendMessageA(window, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ('#', buffer[0]) << "size 0 copies nothing";
    EXPECT_EQ(15, GetWindowTextLengthA(window));

    LONG width = link->TextSize().cx;
    EXPECT_EQ(TRUE, SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("www.a.de")));
    EXPECT_STREQ("www.a.de", link->Text());
    EXPECT_LT(link->TextSize().cx, width) << "measured again";
    GetWindowTextA(window, buffer, sizeof(buffer));
    EXPECT_STREQ("www.a.de", buffer);
}

TEST_F(LinkWithFakeShell, ASecondLinkOnTheSameWindowLeavesTheFirstUnchanged)
{
    Setup(IDC_LINK_LEFT);
    LONG_PTR procedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
    {
        C_LinkControl second;
        second.Setup(window, "other text", "https://other.example/", 0);
        EXPECT_TRUE(second.Handle() == NULL);
    }
    EXPECT_EQ(procedure, GetWindowLongPtrA(window, GWLP_WNDPROC));
    char text[32];
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(kText, text);
    link->Activate(C_LinkControl::kEnterUp);
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(kTarget, g_shellCalls[0].file);
}

TEST_F(LinkWithFakeShell, TheCursorIsTheLinksWhileHoveringAndTheArrowOtherwise)
{
    Setup(IDC_LINK_CENTRED);
    HCURSOR own = LoadCursorA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    ASSERT_TRUE(own != NULL);
    HoverText();
    ASSERT_TRUE(Hovering());
    EXPECT_EQ(own, GetCursor());
    MoveCursorToClient(window, 2, 2);
    EXPECT_FALSE(Hovering());
    EXPECT_EQ(arrow, GetCursor());

    Setup(IDC_LINK_CENTRED, kText, kTarget, 9999); // no such cursor
    HoverText();
    ASSERT_TRUE(Hovering());
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor()) << "a cursor that cannot be loaded leaves the arrow, not none";
}

TEST_F(LinkWithFakeShell, DisabledLinksDrawInGreyAndEnablingUnderTheMouseHovers)
{
    Setup(IDC_LINK_CENTRED);
    EnableWindow(window, FALSE);
    EXPECT_TRUE(link->State() & C_LinkControl::kDisabled);
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(link->DisabledColour()), 20);
    EXPECT_EQ(0, capture.Count(kBlue));

    MoveCursorToClient(window, TextMiddle().x, TextMiddle().y);
    EXPECT_FALSE(Hovering()) << "a disabled window gets no mouse";
    EnableWindow(window, TRUE);
    EXPECT_FALSE(link->State() & C_LinkControl::kDisabled);
    EXPECT_TRUE(Hovering());
    MoveCursorToScreen(0, 0);
    DWORD start = GetTickCount();
    while (Hovering() && ElapsedSince(start) < 3000)
        PumpMessages(10);
    EXPECT_FALSE(Hovering()) << "the hover set on enabling ends when the mouse leaves";
}

TEST_F(LinkWithFakeShell, AFocusRectangleOnlyWithTabStop)
{
    Setup(IDC_LINK_TABSTOP);
    EXPECT_FALSE(link->State() & C_LinkControl::kNoFocusRect);
    C_Capture before, focused;
    SetFocus(dialog.Item(IDC_LIST));
    PumpMessages(30);
    ASSERT_EQ(1, before.Take(window));
    SetFocus(window);
    PumpMessages(30);
    EXPECT_TRUE(link->State() & C_LinkControl::kFocused);
    ASSERT_EQ(1, focused.Take(window));
    COLORREF background = before.At(1, 1);
    EXPECT_LT(focused.Count(background), before.Count(background)) << "the dotted rectangle";

    Setup(IDC_LINK_CENTRED);
    ASSERT_EQ(1, before.Take(window));
    SetFocus(window);
    PumpMessages(30);
    EXPECT_TRUE(link->State() & C_LinkControl::kFocused);
    ASSERT_EQ(1, focused.Take(window));
    EXPECT_EQ(before.Count(before.At(1, 1)), focused.Count(before.At(1, 1)));
}

TEST_F(LinkWithFakeShell, TrackMouseEventEndsTheHoverWhenTheMouseLeaves)
{
    Setup(IDC_LINK_CENTRED);
    ASSERT_TRUE(link->Tracker().HasTrackMouseEvent());
    HoverText();
    ASSERT_TRUE(Hovering());
    MoveCursorToScreen(0, 0);
    DWORD start = GetTickCount();
    while (Hovering() && ElapsedSince(start) < 3000)
        PumpMessages(10);
    EXPECT_FALSE(Hovering());
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_GT(capture.Count(kBlue), 20);
}

TEST_F(LinkWithFakeShell, InjectedMissingTrackMouseEventPollsAndEndsTheHoverWithinAbout100ms)
{
    C_MouseLeaveTracker::InjectLibraryName("msimg32.dll");
    Setup(IDC_LINK_CENTRED);
    ASSERT_FALSE(link->Tracker().HasTrackMouseEvent());
    // Leaving at different moments after the hover began: each must end within one tick.
    for (DWORD dwell : {20u, 45u, 145u, 230u})
    {
        HoverText();
        ASSERT_TRUE(Hovering());
        EXPECT_TRUE(link->Tracker().IsPolling());
        PumpMessages(dwell);
        EXPECT_TRUE(Hovering()) << "the timer keeps the hover while the mouse stays";

        SetCursorPos(0, 0);
        DWORD start = GetTickCount();
        while (Hovering() && ElapsedSince(start) < 3000)
            PumpMessages(5);
        DWORD took = ElapsedSince(start);
        EXPECT_FALSE(Hovering());
        EXPECT_LE(took, 250u) << "one 100 ms tick, with room for a busy machine; dwell " << dwell;
        EXPECT_FALSE(link->Tracker().IsPolling());
    }
}

TEST_F(LinkWithFakeShell, InjectedMissingTrackMouseEventEndsTheHoverWhenTheWindowMovesAway)
{
    C_MouseLeaveTracker::InjectLibraryName("msimg32.dll");
    Setup(IDC_LINK_CENTRED);
    HoverText();
    ASSERT_TRUE(Hovering());
    // The cursor stays inside the rectangle taken at the start, but the control is no longer under it.
    RECT placed;
    GetWindowRect(dialog.Handle(), &placed);
    SetWindowPos(dialog.Handle(), NULL, placed.left + 400, placed.top + 300, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD start = GetTickCount();
    while (Hovering() && ElapsedSince(start) < 3000)
        PumpMessages(5);
    EXPECT_FALSE(Hovering());
    EXPECT_LE(ElapsedSince(start), 250u);
}

TEST_F(LinkWithFakeShell, TheBackgroundIsTheParentsBrushUnlessTheLinkIsTransparent)
{
    const COLORREF green = RGB(0, 200, 0);
    HBRUSH brush = CreateSolidBrush(green);
    dialog.staticBrush = brush;
    Setup(IDC_LINK_CENTRED);
    C_Capture capture;
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_EQ(green, capture.At(1, 1));
    EXPECT_GT(capture.Count(kBlue), 20);

    HWND left = dialog.Item(IDC_LINK_LEFT);
    SetWindowLongA(left, GWL_EXSTYLE, GetWindowLongA(left, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    Setup(IDC_LINK_LEFT);
    EXPECT_TRUE(link->State() & C_LinkControl::kTransparent);
    // The dialog paints its own background under the link (the static control had painted green).
    RedrawWindow(dialog.Handle(), NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_EQ(1, capture.Take(window));
    EXPECT_EQ(0, capture.Count(green)) << "no background fill";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), capture.At(capture.Width() - 2, 1));
    EXPECT_GT(capture.Count(kBlue), 20);
    link.reset();
    dialog.Close(0);
    DeleteObject(brush);
}
