#include <gtest/gtest.h>

#include "LinkRig.h"
#include "support/MessageBoxes.h"
#include "support/StringTableData.h"

TEST(CardErase, QuestionThenTheExchangeOnThePtyOrAMissingPort)
{
    const struct
    {
        const char* scenario; // null: no simulator
        const char* port;     // 12 characters fill the field, leaving no terminator
        WORD language;
        int button, erased;
        std::string second; // the message after the question, or ""
    } rows[] = {
        {NULL, "com7", 1033, IDNO, 0, ""}, // an open, even tried, would show message 1
        {"erase-ok.txt", "com5", 1033, IDYES, 1, "Card values successfully reseted."},
        {"erase-bad-ack.txt", "com5", 1033, IDYES, 0, "Protocol Error. [ID: 8]"},
        {"wrong-echo.txt", "com5", 1033, IDYES, 0, "Protocol Error. [ID: 9]"},
        {"switched-off.txt", "com5", 1033, IDYES, 0, "Protocol Error. [ID: 5]"},
        {NULL, "com7", 1033, IDYES, 0, "Can't open Serial Port."},
        {NULL, "com7", 1031, IDYES, 0, Cp1252Of(kStringTable[0].german)}, // the selected language
        {NULL, "com555555555", 1033, IDYES, 0, "Can't open Serial Port."},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.second);
        C_InstrumentSimulator simulator;
        ASSERT_TRUE(!row.scenario || simulator.Start(row.port, row.scenario)) << simulator.problem;
        C_MessageBoxAnswerer answerer("Karpolin", row.button);
        C_LinkRig rig(row.port);
        rig.erase.owner.language = row.language;
        EXPECT_EQ(row.erased, EraseCard(rig.erase));
        simulator.Stop();

        EXPECT_EQ(row.scenario ? std::vector<std::string>{"72 9600 8 N 1"} : std::vector<std::string>(),
                  simulator.received);
        const std::vector<SeenMessageBox> seen = answerer.Seen();
        ASSERT_EQ(row.second.empty() ? 1u : 2u, seen.size());
        EXPECT_EQ(Cp1252Of(row.language == 1031 ? kStringTable[3].german : kStringTable[3].english),
                  seen[0].text);
        EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), seen[0].type);
        for (const SeenMessageBox& box : seen)
            EXPECT_EQ(rig.window.Handle(), box.owner);
        EXPECT_TRUE(row.second.empty() ||
                    (seen[1].text == row.second &&
                     seen[1].type == (UINT)(row.erased ? MB_ICONINFORMATION : MB_ICONEXCLAMATION)));
        // Emptied and refreshed on this thread when erased, untouched otherwise; the header stays.
        EXPECT_EQ(std::string(83, 'H'), rig.Header());
        EXPECT_EQ(std::vector<std::string>(row.erased ? 0 : 2, std::string(48, 'R')), rig.Records());
        EXPECT_EQ(!row.erased, rig.dataValid.load());
        EXPECT_EQ(row.erased, rig.refreshes.load());
        EXPECT_TRUE(!row.erased ||
                    (rig.dataValidAtRefresh == 0 && rig.refreshThread == GetCurrentThreadId()));
    }
}
