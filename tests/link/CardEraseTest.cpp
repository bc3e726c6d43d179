#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePort.h"
#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "support/MessageBoxes.h"

namespace
{

// The real serial port, counted: shows whether the erase opened it at all.
class C_CountedPort : public C_Port
{
public:
    C_CountedPort(const LinkOwner& owner, const char* name, size_t field)
        : opens(0), m_port(owner, name, field, 0)
    {
    }
    int Open() override
    {
        ++opens;
        return m_port.Open();
    }
    void Close() override { m_port.Close(); }
    int SetTimeouts(int mode) override { return m_port.SetTimeouts(mode); }
    int Write(const void* bytes, DWORD count, DWORD* written) override
    {
        return m_port.Write(bytes, count, written);
    }
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        return m_port.Read(buffer, count, received);
    }

    int opens;

private:
    C_SerialPort m_port;
};

// Answers the question with Yes and every later box with OK.
struct PtyErase
{
    explicit PtyErase(const char* scenario) : rig("com5"), answerer("Karpolin", IDYES)
    {
        started = simulator.Start("com5", scenario);
        rig.FillOldData();
    }
    int Run()
    {
        const int erased = EraseCard(rig.erase);
        simulator.Stop();
        answerer.WaitFor(2, 500);
        return erased;
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
};

const char kQuestion[] = "Erase all values from the card?";

} // namespace

TEST(CardErase, AnsweringNoOpensNoPortAndSendsNothing)
{
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start("com5", "idle.txt")) << simulator.Problem();
    C_MessageBoxAnswerer answerer("Karpolin", IDNO);
    C_LinkRig rig("com5");
    rig.FillOldData();
    C_CountedPort port(rig.erase.owner, rig.portField, sizeof(rig.portField));
    rig.erase.port = &port;

    EXPECT_EQ(0, EraseCard(rig.erase));
    PumpMessages(300); // anything sent would reach the simulator meanwhile
    simulator.Stop();

    ASSERT_EQ(1, answerer.WaitFor(1, 1000));
    SeenMessageBox seen = answerer.Seen()[0];
    EXPECT_EQ(kQuestion, seen.text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), seen.type);
    EXPECT_EQ(rig.window.Handle(), seen.owner);
    EXPECT_EQ(0, port.opens);
    EXPECT_EQ("", simulator.ReceivedBytes());
    EXPECT_TRUE(rig.HasOldData());
    EXPECT_EQ(0, rig.refreshes.load());
}

TEST(CardErase, YesSendsExactlyRAndTheAcknowledgedEraseEmptiesTheData)
{
    PtyErase run("erase-ok.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    C_CountedPort port(run.rig.erase.owner, run.rig.portField, sizeof(run.rig.portField));
    run.rig.erase.port = &port;
    EXPECT_EQ(1, run.Run());

    EXPECT_EQ("r", run.simulator.ReceivedBytes());
    EXPECT_EQ(1, port.opens);
    ASSERT_EQ(2u, run.Texts().size());
    EXPECT_EQ(kQuestion, run.Texts()[0]);
    EXPECT_EQ("Card values successfully reseted.", run.Texts()[1]);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, run.answerer.Seen()[1].type);
    EXPECT_EQ(0, run.rig.dataValid.load());
    EXPECT_TRUE(run.rig.Records().empty());
    EXPECT_EQ(std::string(83, 'H'), run.rig.Header()); // the header buffer is kept
    EXPECT_EQ(1, run.rig.refreshes.load());
    EXPECT_EQ(0, run.rig.dataValidAtRefresh.load());
    EXPECT_EQ(GetCurrentThreadId(), run.rig.refreshThread.load());
}

TEST(CardErase, AcknowledgementOtherThanOGivesId8AndKeepsTheData)
{
    PtyErase run("erase-bad-ack.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    EXPECT_EQ(0, run.Run());
    EXPECT_EQ((std::vector<std::string>{kQuestion, ProtocolErrorText(8)}), run.Texts());
    EXPECT_EQ("r", run.simulator.ReceivedBytes());
    EXPECT_TRUE(run.rig.HasOldData());
    EXPECT_EQ(0, run.rig.refreshes.load());
}

TEST(CardErase, WrongEchoGivesId9)
{
    PtyErase run("wrong-echo.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    EXPECT_EQ(0, run.Run());
    EXPECT_EQ((std::vector<std::string>{kQuestion, ProtocolErrorText(9)}), run.Texts());
    EXPECT_TRUE(run.rig.HasOldData());
}

TEST(CardErase, InstrumentSwitchedOffGivesId5AfterAbout300Milliseconds)
{
    PtyErase run("switched-off.txt");
    ASSERT_TRUE(run.started) << run.simulator.Problem();
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, run.Run());
    EXPECT_LT(ElapsedSince(start), 3000u);
    EXPECT_EQ((std::vector<std::string>{kQuestion, ProtocolErrorText(5)}), run.Texts());
    EXPECT_TRUE(run.rig.HasOldData());
}

TEST(CardErase, MissingPortShowsMessage1AndKeepsTheData)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDYES);
    C_LinkRig rig("com7");
    rig.FillOldData();
    EXPECT_EQ(0, EraseCard(rig.erase));
    ASSERT_EQ(2, answerer.WaitFor(2, 2000));
    EXPECT_EQ("Can't open Serial Port.", answerer.Seen()[1].text);
    EXPECT_TRUE(rig.HasOldData());
}

TEST(CardEraseFake, AcknowledgementThatNeverComesWaits35SecondsThenGivesId8)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDYES);
    C_LinkRig rig("com5");
    rig.FillOldData();
    C_FakePort port;
    rig.erase.port = &port;
    port.Then("r");
    port.ThenSilence();
    EXPECT_EQ(0, EraseCard(rig.erase));
    ASSERT_EQ(2, answerer.WaitFor(2, 2000));
    EXPECT_EQ(ProtocolErrorText(8), answerer.Seen()[1].text);
    ASSERT_EQ(2u, port.reads.size());
    EXPECT_EQ(1u, port.reads[1].count);
    EXPECT_EQ(35000.0, port.LongestWait(1));
    EXPECT_EQ("r", port.written);
    EXPECT_EQ(1, port.closes);
    EXPECT_TRUE(rig.HasOldData());
}

TEST(CardEraseFake, AcknowledgementReadFailureGivesId7)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDYES);
    C_LinkRig rig("com5");
    rig.FillOldData();
    C_FakePort port;
    rig.erase.port = &port;
    port.Then("r");
    port.ThenFailure();
    EXPECT_EQ(0, EraseCard(rig.erase));
    ASSERT_EQ(2, answerer.WaitFor(2, 2000));
    EXPECT_EQ(ProtocolErrorText(7), answerer.Seen()[1].text);
    EXPECT_TRUE(rig.HasOldData());
    EXPECT_EQ(1, port.closes);
}

TEST(CardEraseFake, CommandWriteFailureGivesId1)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDYES);
    C_LinkRig rig("com5");
    rig.FillOldData();
    C_FakePort port;
    rig.erase.port = &port;
    port.writeResult = 0;
    EXPECT_EQ(0, EraseCard(rig.erase));
    ASSERT_EQ(2, answerer.WaitFor(2, 2000));
    EXPECT_EQ(ProtocolErrorText(1), answerer.Seen()[1].text);
    EXPECT_TRUE(port.reads.empty());
    EXPECT_TRUE(rig.HasOldData());
}
