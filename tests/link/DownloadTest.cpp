#include <gtest/gtest.h>

#include "LinkRig.h"
#include "support/TestDialog.h"

// What needs a real line; the rest runs on the fake one (LinkFakeTest).
struct PtyCase
{
    const char* port;
    const char* scenario;
    DWORD baudOption;  // 1 is 1200 baud, every other 9600
    DWORD cancelAfter; // ms after the start, or 0
    DownloadEnding ending;
    LONG valid;
    size_t fewest, most;    // records kept
    const char* message;    // shown, or ""
    double soonest, latest; // seconds to the end from the start, the end marker or Cancel, the latest
};

// A clean card ends 6 s after its end marker, on a port above com9 as on the others; a switched-off
// instrument sends no echo in 300 ms.
const PtyCase kCases[] = {
    {"com12", "clean-card.txt", 0, 0, kEndMarker, 1, 6, 6, "", 5.8, 7.5},
    {"com4", "switched-off.txt", 1, 0, kEndExchangeFailed, 0, 0, 0, "Protocol Error. [ID: 5]", 0.28, 1.5},
    {"com5", "streaming.txt", 2, 1200, kEndCancelled, 0, 6, 49, "", 0, 1.0},
};

TEST(DownloadPty, EachCardEndsAsTheUserWouldSeeIt)
{
    for (const PtyCase& row : kCases)
    {
        SCOPED_TRACE(row.scenario);
        C_MessageRecorder recorder(IDOK);
        C_InstrumentSimulator simulator;
        ASSERT_TRUE(simulator.Start(row.port, row.scenario)) << simulator.problem;
        C_LinkRig rig(row.port, row.baudOption);
        const double start = UnixNow();
        ASSERT_TRUE(rig.Start());
        PumpMessages(row.cancelAfter);
        rig.cancelRequested = row.cancelAfter ? 1 : 0;
        const double cancelled = row.cancelAfter ? UnixNow() : 0;
        EXPECT_TRUE(rig.Wait(30000));

        C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
        ASSERT_EQ(1, port.Open());
        const HANDLE handle = port.Handle();
        DWORD flags = 0;
        port.Close();
        EXPECT_FALSE(GetHandleInformation(handle, &flags)); // afterwards on the same line: Close releases it
        simulator.Stop();

        const std::string line = row.baudOption == 1 ? "65 1200 8 N 1" : "65 9600 8 N 1";
        EXPECT_EQ(std::vector<std::string>{line}, simulator.received) << simulator.log;
        EXPECT_EQ(row.ending, rig.download.ending);
        EXPECT_EQ(row.valid, rig.dataValid.load());
        EXPECT_TRUE(rig.Records().size() >= row.fewest && rig.Records().size() <= row.most);
        std::string texts;
        for (const C_MessageRecorder::Shown& box : recorder.Seen())
            texts += box.owner == rig.window.Handle() ? box.text : "not owned: " + box.text;
        EXPECT_EQ(row.message, texts);
        const double from = cancelled ? cancelled : simulator.markerTime ? simulator.markerTime : start;
        EXPECT_TRUE(rig.refreshTime - from > row.soonest && rig.refreshTime - from < row.latest) << from;
    }
}
