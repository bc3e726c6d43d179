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
    const LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
    int image = 0, link = 0, second = 0;
    C_SubClassing imageKind(C_SubClassing::kImageControl), linkKind(C_SubClassing::kLink),
        secondLink(C_SubClassing::kLink);
    EXPECT_EQ(0, secondLink.Detach()) << "never attached";
    ASSERT_TRUE(imageKind.Attach(window, Record, &image) && linkKind.Attach(window, Record, &link));
    const LONG_PTR installed = GetWindowLongPtrA(window, GWLP_WNDPROC);
    EXPECT_EQ(0, secondLink.Attach(window, Record, &second)) << "would call itself on every message";
    EXPECT_EQ(installed, GetWindowLongPtrA(window, GWLP_WNDPROC));
    probe();
    EXPECT_TRUE(link == 1 && image == 1 && second == 0 && plain.Count(kProbe) == 1);
    EXPECT_EQ(1, linkKind.Detach());
    probe();
    EXPECT_TRUE(link == 1 && image == 2 && plain.Count(kProbe) == 2);
    EXPECT_EQ(1, imageKind.Detach());
    EXPECT_EQ(original, GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(0, linkKind.Detach()) << "a second Detach puts back nothing";
    EXPECT_EQ(original, GetWindowLongPtrA(window, GWLP_WNDPROC));

    char name[C_SubClassing::kPropertyNameSize];
    C_SubClassing::PropertyName(C_SubClassing::kLink, name);
    ASSERT_EQ(1, linkKind.Attach(window, Record, &link));
    EXPECT_EQ(&linkKind, RemovePropA(window, name));
    EXPECT_EQ(0, probe());
    EXPECT_TRUE(link == 1 && plain.Count(kProbe) == 2) << "dropped";
    EXPECT_EQ(1, linkKind.Detach());
    EXPECT_NE(original, GetWindowLongPtrA(window, GWLP_WNDPROC)) << "left alone";
    SetWindowLongPtrA(window, GWLP_WNDPROC, original);
}
