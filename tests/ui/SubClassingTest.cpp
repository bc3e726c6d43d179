#include <gtest/gtest.h>

#include <vector>

#include "support/Pump.h"
#include "ui/SubClassing.h"

namespace
{
// A window of a private class whose own procedure counts what reaches it.
struct C_PlainWindow
{
    static int s_received[0x400];
    HWND window;

    C_PlainWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "KarpolinSubClassingTest";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 50, 50, NULL, NULL,
                                 windowClass.hInstance, NULL);
        memset(s_received, 0, sizeof(s_received));
    }
    ~C_PlainWindow() { DestroyWindow(window); }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message < 0x400)
            s_received[message]++;
        if (message == WM_USER - 1)
            return 77; // the original procedure's own answer
        return DefWindowProcA(window, message, wparam, lparam);
    }
};
int C_PlainWindow::s_received[0x400];

const UINT kProbe = WM_USER - 1;

// Records the messages a callback saw and answers with a chosen result.
struct Recorder
{
    std::vector<UINT> seen;
    int answer = 0;
    LRESULT slot = 0;
    int writeSlot = 0;
};

int Record(HWND, UINT message, WPARAM, LPARAM, LRESULT* result, void* user)
{
    Recorder* recorder = static_cast<Recorder*>(user);
    if (message != kProbe)
        return 0;
    recorder->seen.push_back(message);
    EXPECT_EQ(0, *result) << "the slot starts at 0 for each message";
    if (recorder->writeSlot)
        *result = recorder->slot;
    return recorder->answer;
}

HANDLE PropertyOf(HWND window, DWORD kind)
{
    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(kind, name);
    return GetPropA(window, name);
}
} // namespace

TEST(C_SubClassing, PropertyNameCarriesTheKindsKeyInEightUpperCaseHexDigits)
{
    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(C_SubClassing::kImageControl, name);
    EXPECT_STREQ("_C_SubClassing_Property_62697478", name);
    C_SubClassing::PropertyName(C_SubClassing::kListView, name);
    EXPECT_STREQ("_C_SubClassing_Property_6C697331", name);
    C_SubClassing::PropertyName(C_SubClassing::kLink, name);
    EXPECT_STREQ("_C_SubClassing_Property_6C696E6B", name);
    C_SubClassing::PropertyName(0xA, name);
    EXPECT_STREQ("_C_SubClassing_Property_0000000A", name);
}

TEST(C_SubClassing, AnUnknownKindTakesNothingOver)
{
    C_PlainWindow plain;
    LONG_PTR original = GetWindowLongPtrA(plain.window, GWLP_WNDPROC);
    Recorder recorder;
    C_SubClassing unknown(0x78787878);
    EXPECT_EQ(0, unknown.Attach(plain.window, Record, &recorder));
    EXPECT_EQ(original, GetWindowLongPtrA(plain.window, GWLP_WNDPROC));
    EXPECT_EQ(0, C_SubClassing::IsTakenOver(plain.window, 0x78787878));
    C_SubClassing link(C_SubClassing::kLink);
    ASSERT_EQ(1, link.Attach(plain.window, Record, &recorder));
    EXPECT_EQ(1, C_SubClassing::IsTakenOver(plain.window, C_SubClassing::kLink));
    EXPECT_EQ(0, C_SubClassing::IsTakenOver(plain.window, C_SubClassing::kListView));
}

TEST(C_SubClassing, HandledMessagesAnswerFromTheSlotAndNeverReachTheWindow)
{
    C_PlainWindow plain;
    Recorder recorder;
    recorder.answer = 1;
    C_SubClassing subclass(C_SubClassing::kLink);
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    EXPECT_EQ(&subclass, PropertyOf(plain.window, C_SubClassing::kLink));

    EXPECT_EQ(0, SendMessageA(plain.window, kProbe, 0, 0)) << "a handler that leaves the slot returns 0";
    recorder.writeSlot = 1;
    recorder.slot = 1234;
    EXPECT_EQ(1234, SendMessageA(plain.window, kProbe, 0, 0));
    EXPECT_EQ(2u, recorder.seen.size());
    EXPECT_EQ(0, C_PlainWindow::s_received[kProbe]);
}

TEST(C_SubClassing, AnyResultOtherThanOnePassesTheMessageOn)
{
    C_PlainWindow plain;
    Recorder recorder;
    C_SubClassing subclass(C_SubClassing::kImageControl);
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    recorder.writeSlot = 1;
    recorder.slot = 5;
    for (int answer : {0, 2, -1})
    {
        recorder.answer = answer;
        EXPECT_EQ(77, SendMessageA(plain.window, kProbe, 0, 0)) << "callback result " << answer;
    }
    EXPECT_EQ(3, C_PlainWindow::s_received[kProbe]);
}

TEST(C_SubClassing, SecondAttachOfTheSameKindFailsAndTheFirstKeepsWorking)
{
    C_PlainWindow plain;
    Recorder first, second;
    first.answer = second.answer = 1;
    C_SubClassing one(C_SubClassing::kListView), two(C_SubClassing::kListView);
    ASSERT_EQ(1, one.Attach(plain.window, Record, &first));
    LONG_PTR installed = GetWindowLongPtrA(plain.window, GWLP_WNDPROC);
    EXPECT_EQ(0, two.Attach(plain.window, Record, &second));
    EXPECT_FALSE(two.IsAttached());
    EXPECT_EQ(installed, GetWindowLongPtrA(plain.window, GWLP_WNDPROC));
    EXPECT_EQ(&one, PropertyOf(plain.window, C_SubClassing::kListView));

    SendMessageA(plain.window, kProbe, 0, 0);
    EXPECT_EQ(1u, first.seen.size());
    EXPECT_EQ(0u, second.seen.size());
    EXPECT_EQ(0, two.Detach()) << "the failed attach holds nothing to undo";
    SendMessageA(plain.window, kProbe, 0, 0);
    EXPECT_EQ(2u, first.seen.size());
}

TEST(C_SubClassing, TwoKindsStackAndComeOffInReverseOrder)
{
    C_PlainWindow plain;
    LONG_PTR original = GetWindowLongPtrA(plain.window, GWLP_WNDPROC);
    Recorder image, link;
    C_SubClassing imageKind(C_SubClassing::kImageControl), linkKind(C_SubClassing::kLink);
    ASSERT_EQ(1, imageKind.Attach(plain.window, Record, &image));
    ASSERT_EQ(1, linkKind.Attach(plain.window, Record, &link));

    EXPECT_EQ(77, SendMessageA(plain.window, kProbe, 0, 0));
    EXPECT_EQ(1u, link.seen.size()) << "the last attached sees the message first";
    EXPECT_EQ(1u, image.seen.size());
    EXPECT_EQ(1, C_PlainWindow::s_received[kProbe]);

    EXPECT_EQ(1, linkKind.Detach());
    EXPECT_EQ(NULL, PropertyOf(plain.window, C_SubClassing::kLink));
    SendMessageA(plain.window, kProbe, 0, 0);
    EXPECT_EQ(1u, link.seen.size());
    EXPECT_EQ(2u, image.seen.size());

    EXPECT_EQ(1, imageKind.Detach());
    EXPECT_EQ(original, GetWindowLongPtrA(plain.window, GWLP_WNDPROC));
    EXPECT_EQ(NULL, PropertyOf(plain.window, C_SubClassing::kImageControl));
}

TEST(C_SubClassing, DetachWithoutAttachOrTwiceReturnsZeroAndTouchesNoWindow)
{
    C_PlainWindow plain;
    C_SubClassing never(C_SubClassing::kLink);
    EXPECT_EQ(0, never.Detach());

    Recorder recorder;
    C_SubClassing subclass(C_SubClassing::kLink);
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    ASSERT_EQ(1, subclass.Detach());
    LONG_PTR original = GetWindowLongPtrA(plain.window, GWLP_WNDPROC);

    // Someone else installs a procedure now; a second Detach must not put the old one back.
    C_SubClassing other(C_SubClassing::kImageControl);
    ASSERT_EQ(1, other.Attach(plain.window, Record, &recorder));
    LONG_PTR othersProcedure = GetWindowLongPtrA(plain.window, GWLP_WNDPROC);
    EXPECT_NE(original, othersProcedure);
    EXPECT_EQ(0, subclass.Detach());
    EXPECT_EQ(othersProcedure, GetWindowLongPtrA(plain.window, GWLP_WNDPROC));
    EXPECT_EQ(&other, PropertyOf(plain.window, C_SubClassing::kImageControl));
}

TEST(C_SubClassing, ReattachAfterDetachWorks)
{
    C_PlainWindow plain;
    Recorder recorder;
    recorder.answer = 1;
    C_SubClassing subclass(C_SubClassing::kLink);
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    ASSERT_EQ(1, subclass.Detach());
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    SendMessageA(plain.window, kProbe, 0, 0);
    EXPECT_EQ(1u, recorder.seen.size());
}

TEST(C_SubClassing, AWindowWithoutThePropertyDropsTheMessage)
{
    C_PlainWindow plain;
    Recorder recorder;
    C_SubClassing subclass(C_SubClassing::kLink);
    ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    // The kind's procedure is installed, but the property that leads to the record is gone.
    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(C_SubClassing::kLink, name);
    RemovePropA(plain.window, name);
    EXPECT_EQ(0, SendMessageA(plain.window, kProbe, 0, 0));
    EXPECT_EQ(0, C_PlainWindow::s_received[kProbe]);
    EXPECT_EQ(0u, recorder.seen.size());
    SetPropA(plain.window, name, &subclass); // lets Detach restore the window
}

TEST(C_SubClassing, DetachAfterTheWindowIsGoneTouchesNothing)
{
    Recorder recorder;
    C_SubClassing subclass(C_SubClassing::kLink);
    {
        C_PlainWindow plain;
        ASSERT_EQ(1, subclass.Attach(plain.window, Record, &recorder));
    }
    EXPECT_EQ(1, subclass.Detach());
    EXPECT_FALSE(subclass.IsAttached());
    EXPECT_EQ(0, subclass.Detach());
}
