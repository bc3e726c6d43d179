#include <gtest/gtest.h>

#include "support/Pump.h"
#include "ui/SubClassing.h"

namespace
{
const UINT kProbe = WM_USER + 7;
const char kLinkProperty[] = "_C_SubClassing_Property_6C696E6B";

// Counts the probes its callback saw, answers them with `answer` and leaves 1234 in the slot.
struct Recorder
{
    int seen = 0, answer = 1;
};

int Record(HWND, UINT message, WPARAM, LPARAM, LRESULT* result, void* user)
{
    Recorder* recorder = static_cast<Recorder*>(user);
    if (message != kProbe)
        return 0;
    recorder->seen++;
    EXPECT_EQ(0, *result);
    *result = 1234;
    return recorder->answer;
}

struct SubClassing : ::testing::Test
{
    C_CountingWindow plain;
    HWND window = plain.Handle();
    LONG_PTR original = Procedure();
    LONG_PTR Procedure() const { return GetWindowLongPtrA(plain.Handle(), GWLP_WNDPROC); }
};
} // namespace

TEST_F(SubClassing, ResultOneAnswersFromTheSlotAndAnyOtherPassesTheMessageOn)
{
    Recorder recorder;
    C_SubClassing subclass(C_SubClassing::kImageControl);
    ASSERT_EQ(1, subclass.Attach(window, Record, &recorder));
    int passed = 0;
    for (int answer : {1, 0, 2, -1})
    {
        recorder.answer = answer;
        passed += answer != 1;
        EXPECT_EQ(answer == 1 ? 1234 : 0, SendMessageA(window, kProbe, 0, 0)) << answer;
        EXPECT_EQ(passed, plain.Count(kProbe)) << answer;
    }
    EXPECT_EQ(4, recorder.seen);
}

TEST_F(SubClassing, EachKindAttachesOnceAndStackedKindsComeOffInReverseOrder)
{
    Recorder image, link, second;
    image.answer = link.answer = 0;
    C_SubClassing imageKind(C_SubClassing::kImageControl), linkKind(C_SubClassing::kLink),
        secondLink(C_SubClassing::kLink);
    EXPECT_EQ(0, secondLink.Detach()) << "never attached";
    ASSERT_EQ(1, imageKind.Attach(window, Record, &image));
    ASSERT_EQ(1, linkKind.Attach(window, Record, &link));
    LONG_PTR installed = Procedure();
    EXPECT_EQ(0, secondLink.Attach(window, Record, &second));
    EXPECT_EQ(installed, Procedure());
    SendMessageA(window, kProbe, 0, 0);
    EXPECT_EQ(1, link.seen) << "the first link kind keeps working";
    EXPECT_EQ(0, second.seen);
    EXPECT_EQ(1, image.seen);
    EXPECT_EQ(1, plain.Count(kProbe));
    EXPECT_EQ(1, linkKind.Detach());
    SendMessageA(window, kProbe, 0, 0);
    EXPECT_EQ(1, link.seen);
    EXPECT_EQ(2, image.seen);
    EXPECT_EQ(1, imageKind.Detach());
    EXPECT_EQ(original, Procedure());
    EXPECT_EQ(0, linkKind.Detach());
    EXPECT_EQ(original, Procedure()) << "a second Detach puts back nothing";
}

TEST_F(SubClassing, TheKindsPropertyLeadsToTheRecordAndWithoutItTheMessageIsDropped)
{
    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(0xA, name);
    EXPECT_STREQ("_C_SubClassing_Property_0000000A", name);
    Recorder recorder;
    recorder.answer = 0;
    C_SubClassing subclass(C_SubClassing::kLink);
    ASSERT_EQ(1, subclass.Attach(window, Record, &recorder));
    HANDLE record = RemovePropA(window, kLinkProperty);
    EXPECT_EQ(&subclass, record);
    EXPECT_EQ(0, SendMessageA(window, kProbe, 0, 0));
    EXPECT_EQ(0, plain.Count(kProbe));
    EXPECT_EQ(0, recorder.seen);
    SetPropA(window, kLinkProperty, record); // lets Detach restore the window
}
