#include <gtest/gtest.h>

#include "support/Pump.h"
#include "ui/SubClassing.h"

namespace
{
const UINT kProbe = WM_USER + 7;

// Counts the probes it saw, leaves 1234 in the result slot and returns `answer`.
struct Recorder
{
    int seen = 0, answer = 0;
    static int Record(HWND, UINT message, WPARAM, LPARAM, LRESULT* result, void* user)
    {
        Recorder* self = static_cast<Recorder*>(user);
        if (message != kProbe)
            return 0;
        self->seen++;
        EXPECT_EQ(0, *result);
        *result = 1234;
        return self->answer;
    }
};

struct SubClassing : ::testing::Test
{
    C_CountingWindow plain;
    HWND window = plain.Handle();
    LONG_PTR original = Procedure();
    Recorder image, link, second;
    C_SubClassing imageKind{C_SubClassing::kImageControl}, linkKind{C_SubClassing::kLink},
        secondLink{C_SubClassing::kLink};
    LONG_PTR Procedure() const { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
    LRESULT Probe() { return SendMessageA(window, kProbe, 0, 0); }
};
} // namespace

// Result 1 answers from the slot, any other passes the message on. Each kind attaches once; kinds
// stack, and Detach puts back the procedure it found at Attach, so they come off in the reverse order.
TEST_F(SubClassing, ResultOneAnswersEachKindAttachesOnceAndStackedKindsComeOffInReverseOrder)
{
    EXPECT_EQ(0, secondLink.Detach()) << "never attached";
    ASSERT_EQ(1, imageKind.Attach(window, Recorder::Record, &image));
    for (int answer : {1, 0, 2, -1})
    {
        image.answer = answer;
        int passed = plain.Count(kProbe);
        EXPECT_EQ(answer == 1 ? 1234 : 0, Probe()) << answer;
        EXPECT_EQ(passed + (answer != 1), plain.Count(kProbe)) << answer;
    }
    ASSERT_EQ(1, linkKind.Attach(window, Recorder::Record, &link));
    LONG_PTR installed = Procedure();
    ASSERT_EQ(0, secondLink.Attach(window, Recorder::Record, &second))
        << "would call itself on every message";
    EXPECT_EQ(installed, Procedure());
    Probe();
    EXPECT_TRUE(link.seen == 1 && image.seen == 5 && second.seen == 0 && plain.Count(kProbe) == 4);
    EXPECT_EQ(1, linkKind.Detach());
    Probe();
    EXPECT_TRUE(link.seen == 1 && image.seen == 6 && plain.Count(kProbe) == 5);
    EXPECT_EQ(1, imageKind.Detach());
    EXPECT_EQ(original, Procedure());
    EXPECT_EQ(0, linkKind.Detach()) << "a second Detach puts back nothing";
    EXPECT_EQ(original, Procedure());
}

// A destroyed window loses its properties, and its handle may come to name another window: without
// the kind's property, a message is dropped and Detach leaves the window's procedure alone.
TEST_F(SubClassing, WithoutTheKindsPropertyTheMessageIsDroppedAndDetachTouchesNothing)
{
    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(C_SubClassing::kLink, name);
    ASSERT_EQ(1, linkKind.Attach(window, Recorder::Record, &link));
    EXPECT_EQ(&linkKind, RemovePropA(window, name));
    LONG_PTR installed = Procedure();
    EXPECT_EQ(0, Probe());
    EXPECT_EQ(0, plain.Count(kProbe) + link.seen);
    EXPECT_EQ(1, linkKind.Detach());
    EXPECT_EQ(installed, Procedure());
    SetWindowLongPtrA(window, GWLP_WNDPROC, original);
}
