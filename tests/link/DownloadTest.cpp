#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "LinkRig.h"
#include "support/MessageBoxes.h"

namespace
{

struct Range
{
    double min, max;
};

// What needs a real line; the rest runs on the fake one (LinkFakeTest).
struct PtyCase
{
    const char* scenario;
    DWORD baudOption;
    DWORD cancelAfter; // ms after the start, or 0
    DownloadEnding ending;
    LONG valid;
    Range records;       // how many of those the card sent were kept, in order
    const char* message; // protocol error shown, or ""
    // Seconds from the start, the end marker or Cancel (the latest that happened) to the end.
    Range seconds;
};

// resync.txt loses records and bytes on the way: the reader finds its way back on a real line.
const PtyCase kCases[] = {
    {"clean-card.txt", 0, 0, kEndMarker, 1, {6, 6}, "", {5.8, 7.5}},
    {"resync.txt", 0, 0, kEndMarker, 1, {6, 6}, "", {5.8, 7.5}},
    {"wrong-echo.txt", 1, 0, kEndExchangeFailed, 0, {0, 0}, "Protocol Error. [ID: 3]", {0, 1.5}},
    {"switched-off.txt", 2, 0, kEndExchangeFailed, 0, {0, 0}, "Protocol Error. [ID: 5]", {0.28, 1.5}},
    {"streaming.txt", 0, 1200, kEndCancelled, 0, {6, 49}, "", {0, 1.0}},
};

struct PtyRun
{
    const PtyCase& row;
    C_LinkRig rig;
    C_InstrumentSimulator simulator;
    double start, cancelled;
};

} // namespace

TEST(DownloadPty, EachCardEndsAsTheUserWouldSeeIt)
{
    const char* const ports[] = {"com3", "com4", "com5", "com6", "com7"};
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    std::vector<std::unique_ptr<PtyRun>> runs;
    for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i)
    {
        runs.emplace_back(new PtyRun{kCases[i], C_LinkRig(ports[i], kCases[i].baudOption), {}, 0, 0});
        ASSERT_TRUE(runs.back()->simulator.Start(ports[i], kCases[i].scenario))
            << runs.back()->simulator.problem;
        runs.back()->start = UnixNow();
        ASSERT_TRUE(runs.back()->rig.Start());
    }
    for (auto& run : runs)
    {
        if (!run->row.cancelAfter)
            continue;
        PumpMessages((DWORD)std::max(0.0, (run->start - UnixNow()) * 1000 + run->row.cancelAfter));
        run->rig.cancelRequested = 1;
        run->cancelled = UnixNow();
    }

    size_t owned = 0; // boxes owned by a rig's window
    for (auto& run : runs)
    {
        const PtyCase& row = run->row;
        C_LinkRig& rig = run->rig;
        C_InstrumentSimulator& simulator = run->simulator;
        EXPECT_TRUE(rig.Wait(30000));
        simulator.Stop();
        SCOPED_TRACE(row.scenario);
        EXPECT_TRUE(row.cancelAfter || simulator.log.find("scenario-done") != std::string::npos);
        const std::string line = row.baudOption == 1 ? "65 1200 8 N 1" : "65 9600 8 N 1";
        EXPECT_EQ(std::vector<std::string>{line}, simulator.received) << simulator.log;
        EXPECT_EQ(row.ending, rig.download.ending);
        EXPECT_EQ(row.valid, rig.dataValid.load());
        const std::vector<std::string> kept = rig.Records(), &sent = simulator.records;
        EXPECT_TRUE(kept.size() >= row.records.min && kept.size() <= row.records.max) << kept.size();
        ASSERT_LE(kept.size(), sent.size());
        EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + kept.size()), kept);
        EXPECT_TRUE(simulator.header.empty() || simulator.header == rig.Header());
        std::string texts;
        for (const SeenMessageBox& box : answerer.Seen())
        {
            if (box.owner == rig.window.Handle())
                texts += box.text, ++owned;
        }
        EXPECT_EQ(row.message, texts);
        const double from = run->cancelled         ? run->cancelled
                            : simulator.markerTime ? simulator.markerTime
                                                   : run->start;
        EXPECT_GT(rig.refreshTime - from, row.seconds.min);
        EXPECT_LT(rig.refreshTime - from, row.seconds.max);
    }
    EXPECT_EQ(answerer.Seen().size(), owned); // none without the main window as owner
}
