#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "support/MessageBoxes.h"

// The download against the simulator on a pty: the reader's endings as a user meets them.

namespace
{

// A run of the download against one scenario, every message box answered with OK.
struct PtyDownload
{
    explicit PtyDownload(const char* scenario, int oldData = 1) : rig("com5"), answerer("Karpolin", IDOK)
    {
        started = simulator.Start("com5", scenario);
        if (oldData)
            rig.FillOldData();
    }
    int Run()
    {
        start = C_InstrumentSimulator::Now();
        const int ended = rig.Download(50000);
        end = C_InstrumentSimulator::Now();
        simulator.Stop();
        return ended;
    }
    std::vector<std::string> Sent(size_t first, size_t count) const
    {
        const std::vector<std::string>& all = simulator.RecordsSent();
        std::vector<std::string> part;
        for (size_t i = first; i < first + count && i < all.size(); ++i)
            part.push_back(all[i]);
        return part;
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const SeenMessageBox& seen : answerer.Seen())
            texts.push_back(seen.text);
        return texts;
    }

    C_InstrumentSimulator simulator;
    C_LinkRig rig;
    C_MessageBoxAnswerer answerer;
    int started;
    double start = 0;
    double end = 0;
};

} // namespace

TEST(DownloadReader, CleanCardGivesEveryRecordInOrderAndEndsAboutSixSecondsAfterTheMarker)
{
    PtyDownload run("clean-card.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());

    EXPECT_EQ(kEndMarker, run.rig.download.ending);
    EXPECT_EQ(1, run.rig.dataValid.load());
    ASSERT_EQ(6u, run.simulator.RecordsSent().size()) << run.simulator.Log();
    EXPECT_EQ(run.simulator.RecordsSent(), run.rig.Records()); // the empty slot included, in order
    EXPECT_EQ("--", run.rig.Records()[3].substr(2, 2));
    EXPECT_EQ(run.simulator.HeaderSent(), run.rig.Header());
    EXPECT_EQ("e", run.simulator.ReceivedBytes());
    EXPECT_TRUE(run.Texts().empty());

    // The 48-byte read after the marker ends by the 6 s of silence.
    ASSERT_GT(run.simulator.MarkerTime(), 0);
    const double afterMarker = run.end - run.simulator.MarkerTime();
    EXPECT_GT(afterMarker, 5.8);
    EXPECT_LT(afterMarker, 7.5);

    // The display was refreshed once, on the worker, with the data already valid; the dialog's close
    // request was made.
    EXPECT_EQ(1, run.rig.refreshes.load());
    EXPECT_NE(GetCurrentThreadId(), run.rig.refreshThread.load());
    EXPECT_EQ(1, run.rig.dataValidAtRefresh.load());
    EXPECT_EQ(1, run.rig.progress.Finished());
}

TEST(DownloadReader, MalformedRecordIsSkippedToTheNextCarriageReturnAndTheRestIsKept)
{
    PtyDownload run("resync.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    // Records 1, 2, 4, 5, 6: the bad record 3 and the noise after it are gone.
    ASSERT_EQ(5u, run.simulator.RecordsSent().size()) << run.simulator.Log();
    EXPECT_EQ(run.simulator.RecordsSent(), run.rig.Records());
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_EQ(kEndMarker, run.rig.download.ending);
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadReader, CardStoppingMidRecordEndsWithoutMessageAndWithoutValidData)
{
    PtyDownload run("stops-mid-record.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(run.simulator.RecordsSent(), run.rig.Records()); // kept until the next clear, not shown
    EXPECT_EQ(2u, run.rig.Records().size());
    EXPECT_TRUE(run.Texts().empty());
    EXPECT_EQ(1, run.rig.refreshes.load());
}

TEST(DownloadReader, SingleByteOtherThanTheMarkerEndsWithoutValidData)
{
    PtyDownload run("single-byte.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(kEndIncomplete, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(2u, run.rig.Records().size());
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadReader, MarkerRightAfterAResynchronisationEndsWithoutValidData)
{
    // The carriage return the scan took belongs to a record, so the 'o' is no end marker there.
    PtyDownload run("marker-after-resync.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(kEndIncomplete, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(run.simulator.RecordsSent(), run.rig.Records());
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadReader, CancelWhileRecordsStreamStopsAfterTheCurrentRecordWithNothingShown)
{
    PtyDownload run("streaming.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.rig.StartOnly());
    EXPECT_FALSE(run.rig.Wait(1200)); // header and about 20 records
    run.rig.cancelRequested = 1;
    const DWORD cancelled = GetTickCount();
    ASSERT_TRUE(run.rig.Wait(30000));
    const DWORD took = ElapsedSince(cancelled);
    run.simulator.Stop();

    EXPECT_LT(took, 1000u); // the current record, not the rest of the card and its silence
    EXPECT_EQ(kEndCancelled, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    const size_t kept = run.rig.Records().size();
    EXPECT_GT(kept, 5u);
    EXPECT_LT(kept, 50u);
    EXPECT_EQ(run.Sent(0, kept), run.rig.Records());
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadReader, CancelWhileSkippingNoiseKeepsTheRecordsSoFarValid)
{
    PtyDownload run("scan-noise.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.rig.StartOnly());
    EXPECT_FALSE(run.rig.Wait(1500)); // the noise runs from about 0.3 s to 4.5 s
    run.rig.cancelRequested = 1;
    const DWORD cancelled = GetTickCount();
    ASSERT_TRUE(run.rig.Wait(30000));
    const DWORD took = ElapsedSince(cancelled);
    run.simulator.Stop();

    EXPECT_LT(took, 1000u);
    EXPECT_EQ(kEndCancelInScan, run.rig.download.ending);
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_EQ(run.Sent(0, 2), run.rig.Records());
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadErrors, InstrumentSwitchedOffGivesId5AfterAbout300Milliseconds)
{
    PtyDownload run("switched-off.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(run.rig.StartOnly());
    ASSERT_EQ(1, run.answerer.WaitFor(1, 5000));
    const DWORD took = ElapsedSince(start);
    ASSERT_TRUE(run.rig.Wait(5000));
    run.simulator.Stop();

    EXPECT_GE(took, 280u);
    EXPECT_LT(took, 1500u);
    SeenMessageBox seen = run.answerer.Seen()[0];
    EXPECT_EQ(ProtocolErrorText(5), seen.text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, seen.type);
    EXPECT_EQ(run.rig.window.Handle(), seen.owner); // the main window owns it, also from the worker
    EXPECT_NE(GetCurrentThreadId(), seen.thread);
    EXPECT_EQ("e", run.simulator.ReceivedBytes());
    // The port was open, so the data were cleared: nothing valid, nothing kept.
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
    EXPECT_EQ(1, run.rig.refreshes.load());
    EXPECT_EQ(1, run.rig.progress.Finished());
}

TEST(DownloadErrors, WrongEchoGivesId3)
{
    PtyDownload run("wrong-echo.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(3)}, run.Texts());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
}

TEST(DownloadErrors, HeaderThatStopsAndFallsSilentGivesId6)
{
    PtyDownload run("header-short.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(6)}, run.Texts());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
    EXPECT_GT(run.end - run.start, 5.8); // the 6 s of silence after the last header byte
}

TEST(DownloadErrors, MissingPortShowsMessage1AndLeavesTheDataAlone)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com7");
    rig.FillOldData();
    ASSERT_TRUE(rig.Download(10000));
    ASSERT_EQ(1, answerer.WaitFor(1, 1000));
    EXPECT_EQ("Can't open Serial Port.", answerer.Seen()[0].text);
    EXPECT_EQ(kEndNoPort, rig.download.ending);
    EXPECT_TRUE(rig.HasOldData());
    EXPECT_EQ(0, rig.refreshes.load()); // nothing changed, nothing to refresh
    EXPECT_EQ(1, rig.progress.Finished());
}

TEST(DownloadErrors, CablePulledMidRecordEndsTheDownloadWithoutValidData)
{
    // Under Wine a pulled pty line does not fail the read: the read returns what had arrived, so
    // the broken record ends the download like a card that stops. The read failure itself (protocol
    // error 4) is shown with a fake line in DownloadFakeTest.
    PtyDownload run("unplug-mid-record.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    ASSERT_TRUE(run.Run());
    EXPECT_NE(std::string::npos, run.simulator.Log().find("unplug"));
    EXPECT_EQ(kEndIncomplete, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(run.simulator.RecordsSent(), run.rig.Records());
    EXPECT_EQ(3u, run.rig.Records().size());
}
