#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "FakePort.h"
#include "LinkRig.h"
#include "support/MessageBoxes.h"

// The download on a fake line, for what the pty cannot show in reasonable time or at all: the
// block time-out of minutes, a read or write that fails, a node that cannot be allocated.

namespace
{

std::string Record(int n, char separator = ';')
{
    char text[64];
    _snprintf(text, sizeof(text), "\r %02d;00;12:00:%02d;00001;020 000.1;001.5; 151%c 981", n, n, separator);
    std::string record(text);
    EXPECT_EQ(48u, record.size());
    return record;
}

std::string Header()
{
    return std::string(83, 'h');
}

struct FakeDownload
{
    FakeDownload() : rig("com5"), answerer("Karpolin", IDOK)
    {
        rig.download.port = &port;
        rig.FillOldData();
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const SeenMessageBox& seen : answerer.Seen())
            texts.push_back(seen.text);
        return texts;
    }
    int Run() { return rig.Download(10000); }

    C_FakePort port;
    C_LinkRig rig;
    C_MessageBoxAnswerer answerer;
};

} // namespace

TEST(DownloadFake, SilentCardAfterARecordWaitsTheWholeBlockTimeOutThenShowsNothing)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.ThenSilence(); // on a real line after 30000 * 48 + 5000 ms
    // Cancel pressed while that read waits takes effect only when it ends.
    run.port.Before(3, [&run]() { run.rig.cancelRequested = 1; });
    ASSERT_TRUE(run.Run());

    ASSERT_EQ(4u, run.port.reads.size());
    EXPECT_EQ(48u, run.port.reads[3].count);
    EXPECT_EQ(kBlockTimeouts, run.port.reads[3].timeoutMode);
    EXPECT_EQ(1445000.0, run.port.LongestWait(3)); // about 24 minutes
    EXPECT_EQ(kEndIncomplete, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(std::vector<std::string>{Record(1)}, run.rig.Records());
    EXPECT_TRUE(run.Texts().empty());
}

TEST(DownloadFake, HeaderThatNeverComesWaitsTheWholeBlockTimeOutThenGivesId6)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.ThenSilence();
    ASSERT_TRUE(run.Run());
    ASSERT_EQ(2u, run.port.reads.size());
    EXPECT_EQ(1u, run.port.reads[0].count);
    EXPECT_EQ(kCommandTimeouts, run.port.reads[0].timeoutMode);
    EXPECT_EQ(300.0, run.port.LongestWait(0));
    EXPECT_EQ(83u, run.port.reads[1].count);
    EXPECT_EQ(2495000.0, run.port.LongestWait(1));
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(6)}, run.Texts());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
    EXPECT_EQ("e", run.port.written);
}

TEST(DownloadFake, ReadFailureAmongTheRecordsGivesId4AndKeepsTheRecordsValid)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.Then(Record(2));
    run.port.ThenFailure(); // the cable pulled
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(4)}, run.Texts());
    EXPECT_EQ(kEndReadFailure, run.rig.download.ending);
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_EQ((std::vector<std::string>{Record(1), Record(2)}), run.rig.Records());
    EXPECT_EQ(Header(), run.rig.Header());
    EXPECT_EQ(1, run.port.closes);
}

TEST(DownloadFake, ReadFailureWhileSkippingNoiseGivesId4AndKeepsTheRecordsValid)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.Then(Record(2, ','));
    run.port.Then("x");
    run.port.ThenSilence(); // a silent byte of the scan is no end: it reads on
    run.port.ThenFailure();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(4)}, run.Texts());
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_EQ(std::vector<std::string>{Record(1)}, run.rig.Records());
    ASSERT_EQ(7u, run.port.reads.size());
    EXPECT_EQ(1u, run.port.reads[4].count);
    EXPECT_EQ(kBlockTimeouts, run.port.reads[5].timeoutMode);
}

TEST(DownloadFake, HeaderReadFailureGivesId4WithNothingValid)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.ThenFailure();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(4)}, run.Texts());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
}

TEST(DownloadFake, EchoReadFailureGivesId2)
{
    FakeDownload run;
    run.port.ThenFailure();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(2)}, run.Texts());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
}

TEST(DownloadFake, CommandWriteFailureGivesId1AndReadsNothing)
{
    FakeDownload run;
    run.port.writeResult = 0;
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(std::vector<std::string>{ProtocolErrorText(1)}, run.Texts());
    EXPECT_TRUE(run.port.reads.empty());
    EXPECT_EQ(0, run.rig.dataValid.load());
}

TEST(DownloadFake, OutOfMemoryForANodeEndsWithoutMessageAndWithoutValidData)
{
    FakeDownload run;
    static int nodesLeft;
    nodesLeft = 2;
    run.rig.download.newNode = []() -> RecordNode* { return nodesLeft-- > 0 ? NewRecordNode() : NULL; };
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.Then(Record(2));
    run.port.Then(Record(3));
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(kEndNoMemory, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ((std::vector<std::string>{Record(1), Record(2)}), run.rig.Records());
    EXPECT_EQ(4u, run.port.reads.size()); // no read without a node to read into
    EXPECT_TRUE(run.Texts().empty());
    EXPECT_EQ(1, run.port.closes);
}

TEST(DownloadFake, CancelSeenAfterTheHeaderReadsNoRecord)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Before(1, [&run]() { run.rig.cancelRequested = 1; });
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(kEndCancelled, run.rig.download.ending);
    EXPECT_EQ(2u, run.port.reads.size());
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(Header(), run.rig.Header());
}

TEST(DownloadFake, CancelSeenWhenTheScanFindsItsCarriageReturnShowsNothing)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.Then(Record(2, ','));
    run.port.Then("\r");
    run.port.Before(4, [&run]() { run.rig.cancelRequested = 1; });
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(kEndCancelled, run.rig.download.ending);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_EQ(std::vector<std::string>{Record(1)}, run.rig.Records());
    EXPECT_EQ(5u, run.port.reads.size());
}

TEST(DownloadFake, MalformedRecordWithCancelAlreadySetEndsValidWithoutScanning)
{
    FakeDownload run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then(Record(1));
    run.port.Then(Record(2, ','));
    run.port.Before(3, [&run]() { run.rig.cancelRequested = 1; });
    ASSERT_TRUE(run.Run());
    // Record 1 was appended before Cancel was set; the bad record sees it and ends at V.
    EXPECT_EQ(kEndCancelInScan, run.rig.download.ending);
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_EQ(4u, run.port.reads.size());
}

TEST(DownloadFake, DisplayIsRefreshedOnTheWorkerBeforeThePortCloses)
{
    FakeDownload run;
    run.rig.download.refreshDisplay = [](void* context)
    {
        FakeDownload* self = static_cast<FakeDownload*>(context);
        self->port.events.push_back(self->port.IsOpen() ? "refresh (open)" : "refresh (closed)");
        self->rig.refreshThread = GetCurrentThreadId();
    };
    run.rig.download.context = &run;
    run.port.Then("e");
    run.port.Then(Header());
    run.port.Then("o");
    ASSERT_TRUE(run.Run());
    EXPECT_EQ((std::vector<std::string>{"open", "refresh (open)", "close"}), run.port.events);
    EXPECT_NE(GetCurrentThreadId(), run.rig.refreshThread.load());
    EXPECT_EQ(1, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty()); // a card with no records is still a valid card
}

TEST(DownloadFake, PortThatDoesNotOpenLeavesTheDataAndStillClosesTheDialog)
{
    FakeDownload run;
    run.port.openResult = 0;
    ASSERT_TRUE(run.Run());
    EXPECT_TRUE(run.rig.HasOldData());
    EXPECT_EQ(0, run.rig.refreshes.load());
    EXPECT_EQ(0, run.port.closes);
    EXPECT_EQ(1, run.rig.progress.Finished());
}

TEST(StartDownload, RefusesWhileAWorkerRunsAndLeavesItsCancelAlone)
{
    FakeDownload run;
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    run.port.Then("e");
    run.port.Before(0, [release]() { WaitForSingleObject(release, 10000); });
    ASSERT_EQ(1, run.rig.StartOnly());
    run.rig.cancelRequested = 1;
    EXPECT_EQ(0, run.rig.StartOnly());
    EXPECT_EQ(1, run.rig.cancelRequested.load());
    EXPECT_EQ(0, run.rig.progress.Finished()); // the running worker's request is still to come
    SetEvent(release);
    ASSERT_TRUE(run.rig.Wait(10000));
    CloseHandle(release);
    EXPECT_EQ(1, run.rig.progress.Finished());
    EXPECT_EQ(1, run.port.opens);

    // Once it has ended, the next download starts afresh with Cancel cleared.
    C_FakePort second;
    run.rig.download.port = &second;
    second.Then("e");
    second.Then(Header());
    second.Then("o");
    ASSERT_TRUE(run.rig.Download(10000));
    EXPECT_EQ(0, run.rig.cancelRequested.load());
    EXPECT_EQ(kEndMarker, run.rig.download.ending);
}
