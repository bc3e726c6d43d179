#include <gtest/gtest.h>

#include <string>

#include "support/MessageBoxes.h"
#include "ui/Dialog.h"

TEST(ShowMessage, ShowsTheFormattedTextWithCaptionAndType)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    EXPECT_EQ(IDOK, ShowMessage(NULL, 0, "Karpolin", "Protocol Error. [ID: %u]", 5u));
    ASSERT_EQ(1, answerer.WaitFor(1, 5000));
    SeenMessageBox seen = answerer.Seen()[0];
    EXPECT_EQ("Karpolin", seen.caption);
    EXPECT_EQ("Protocol Error. [ID: 5]", seen.text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, seen.type);
    EXPECT_EQ(GetCurrentThreadId(), seen.thread);
}

TEST(ShowMessage, AnswersWithTheButtonPressed)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDNO);
    EXPECT_EQ(IDNO,
              ShowMessage(NULL, MB_YESNO | MB_ICONQUESTION, "Karpolin", "Erase all values from the card?"));
    answerer.SetButton(IDOK);
    EXPECT_EQ(IDOK,
              ShowMessage(NULL, MB_ICONINFORMATION, "Karpolin", "%s", "Card values successfully reseted."));
    ASSERT_EQ(2, answerer.WaitFor(2, 5000));
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), answerer.Seen()[0].type);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, answerer.Seen()[1].type);
}

TEST(ShowMessage, CutsTheTextAt1023Characters)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    std::string longText(3000, 'x');
    ShowMessage(NULL, 0, "Karpolin", "%s", longText.c_str());
    ASSERT_EQ(1, answerer.WaitFor(1, 5000));
    EXPECT_EQ(std::string(1023, 'x'), answerer.Seen()[0].text);
}
