#include <gtest/gtest.h>

#include "support/Pump.h"
#include "ui/SubClassing.h"

namespace
{
const UINT kProbe = WM_USER + 7;

// Counts the probes it saw and passes them on. (The controls' tests show the answers from the slot.)
int Record(HWND, UINT message, WPARAM, LPARAM, LRESULT*, void* seen)
{
    return *static_cast<int*>(seen) += message == kProbe, 0;
}
} // namespace

// Each kind attaches once; kinds stack, and Detach puts back the procedure it found at Attach, so they
// come off in the reverse order. A destroyed window loses its properties, and its handle may come to
// name another window: without the kind's property, a message is dropped and Detach leaves the
// window's procedure alone.
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
