#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <memory>

#include "LinkRig.h"
#include "support/MessageBoxes.h"

namespace
{

struct PtyCase
{
    const char* scenario;
    DWORD baudOption;
    const char* baud;  // that the simulator sees with 8N1; it starts at 4800 7E2
    DWORD cancelAfter; // ms after the start, or 0
    DownloadEnding ending;
    LONG valid;
    size_t minRecords, maxRecords; // the first ones the card sent, in order
    const char* message;           // protocol error shown, or ""
    // Seconds from the start, the end marker or Cancel (the latest that happened) to the end.
    double minSeconds, maxSeconds;
};

// Up to six run together, a COM name each. The clean card's record 4 is an empty slot "--"; after the
// CR that the scan took, 'o' is no end marker; Wine's read on a pulled pty line returns what had come
// (the failing read, error 4, is shown on a fake line); scan-noise.txt sends noise from 0.3 to 4.5 s.
const PtyCase kCases[] = {
    {"clean-card.txt", 0, "9600", 0, kEndMarker, 1, 6, 6, "", 5.8, 7.5},
    {"resync.txt", 0, "9600", 0, kEndMarker, 1, 6, 6, "", 5.8, 7.5},
    {"stops-mid-record.txt", 0, "9600", 0, kEndIncomplete, 0, 2, 2, "", 5.8, 15},
    {"single-byte.txt", 0, "9600", 0, kEndIncomplete, 0, 2, 2, "", 5.8, 15},
    {"marker-after-resync.txt", 0, "9600", 0, kEndIncomplete, 0, 1, 1, "", 5.8, 15},
    {"header-short.txt", 0, "9600", 0, kEndExchangeFailed, 0, 0, 0, "Protocol Error. [ID: 6]", 5.8, 15},
    {"wrong-echo.txt", 1, "1200", 0, kEndExchangeFailed, 0, 0, 0, "Protocol Error. [ID: 3]", 0, 1.5},
    {"switched-off.txt", 2, "9600", 0, kEndExchangeFailed, 0, 0, 0, "Protocol Error. [ID: 5]", 0.28, 1.5},
    {"unplug-mid-record.txt", 0, "9600", 0, kEndIncomplete, 0, 3, 3, "", 0, 15},
    {"streaming.txt", 0, "9600", 1200, kEndCancelled, 0, 6, 49, "", 0, 1.0},
    {"scan-noise.txt", 0, "9600", 1500, kEndCancelInScan, 1, 2, 2, "", 0, 1.0},
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
    const char* const ports[] = {"com3", "com4", "com5", "com6", "com7", "com8"};
    const size_t count = sizeof(kCases) / sizeof(kCases[0]), batch = sizeof(ports) / sizeof(ports[0]);
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    size_t owned = 0; // boxes owned by a rig's window
    for (size_t first = 0; first < count; first += batch)
    {
        std::vector<std::unique_ptr<PtyRun>> runs;
        for (size_t i = first; i < count && i < first + batch; ++i)
        {
            runs.emplace_back(
                new PtyRun{kCases[i], C_LinkRig(ports[i - first], kCases[i].baudOption), {}, 0, 0});
            ASSERT_TRUE(runs.back()->simulator.Start(ports[i - first], kCases[i].scenario))
                << runs.back()->simulator.problem;
        }
        for (auto& run : runs)
        {
            run->start = UnixNow();
            ASSERT_TRUE(run->rig.Start());
        }
        for (auto& run : runs)
        {
            if (!run->row.cancelAfter)
                continue;
            PumpMessages((DWORD)std::max(0.0, (run->start - UnixNow()) * 1000 + run->row.cancelAfter));
            run->rig.cancelRequested = 1;
            run->cancelled = UnixNow();
        }
        for (auto& run : runs)
        {
            EXPECT_TRUE(run->rig.Wait(30000));
            run->simulator.Stop();
        }

        for (auto& run : runs)
        {
            const PtyCase& row = run->row;
            C_LinkRig& rig = run->rig;
            const C_InstrumentSimulator& simulator = run->simulator;
            SCOPED_TRACE(row.scenario);
            EXPECT_TRUE(row.cancelAfter || simulator.log.find("scenario-done") != std::string::npos);
            EXPECT_EQ(std::vector<std::string>{"65 " + std::string(row.baud) + " 8 N 1"}, simulator.received)
                << simulator.log;
            EXPECT_EQ(row.ending, rig.download.ending);
            EXPECT_EQ(row.valid, rig.dataValid.load());
            const std::vector<std::string> kept = rig.Records(), &sent = simulator.records;
            EXPECT_TRUE(kept.size() >= row.minRecords && kept.size() <= row.maxRecords) << kept.size();
            ASSERT_LE(kept.size(), sent.size());
            EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + kept.size()), kept);
            EXPECT_TRUE(strcmp(row.scenario, "clean-card.txt") ||
                        (kept.size() > 3 && kept[3].substr(2, 2) == "--"));
            EXPECT_TRUE(simulator.header.empty() || simulator.header == rig.Header());
            // Shown by the worker, owned by the main window.
            std::string texts;
            for (const SeenMessageBox& box : answerer.Seen())
            {
                if (box.owner != rig.window.Handle())
                    continue;
                texts += box.text;
                ++owned;
                EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.type);
                EXPECT_NE(GetCurrentThreadId(), box.thread);
            }
            EXPECT_EQ(row.message, texts);
            // One refresh, on the worker, with DataValid final; the progress dialog was asked to close.
            EXPECT_EQ(1, rig.refreshes.load());
            EXPECT_NE(GetCurrentThreadId(), rig.refreshThread.load());
            EXPECT_EQ(row.valid, rig.dataValidAtRefresh.load());
            EXPECT_EQ(1, rig.progress.Finished());
            const double from = run->cancelled         ? run->cancelled
                                : simulator.markerTime ? simulator.markerTime
                                                       : run->start;
            EXPECT_GT(rig.refreshTime - from, row.minSeconds);
            EXPECT_LT(rig.refreshTime - from, row.maxSeconds);
        }
    }
    EXPECT_EQ(answerer.Seen().size(), owned); // none without the main window as owner
}
