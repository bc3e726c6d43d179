#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>

#include "LinkRig.h"
#include "support/MessageBoxes.h"
#include "support/StringTableData.h"

// The download and the erase on a fake line, for what the pty cannot show in reasonable time or at
// all: the block time-outs of minutes, a read or write that fails, a node that cannot be had.

namespace
{

// Record n of a card, its number in bytes 2-3 and, over a hundred, 5-6.
std::string Record(int n)
{
    char record[49];
    sprintf(record, "\r %02d;%02d;12:00:00;00001;020 000.1;001.5; 151; 981", n % 100, n / 100 % 100);
    return record;
}

std::string Malformed(int n)
{
    return Record(n).replace(43, 1, ",");
}

// One read of the fake line: what it gives at once, and the longest it may wait on a real line.
struct Step
{
    std::string bytes;
    double wait; // ms
    int fails = 0, cancelBefore = 0, lastNode = 0;
};

// The command set for the echo; the block set for the header, a record, or one byte (the erase's
// acknowledgement, the scan).
const double kEchoWait = 300, kHeaderWait = 83 * 30000 + 5000, kRecordWait = 48 * 30000 + 5000,
             kByteWait = 35000;
const auto Echo = [](char c) { return Step{std::string(1, c), kEchoWait}; };
const auto Header = []() { return Step{std::string(83, 'h'), kHeaderWait}; };
const auto Block = [](const std::string& bytes, double wait = kRecordWait) { return Step{bytes, wait}; };
const auto Rec = [](int n) { return Block(Record(n)); };
const auto Byte = [](char c) { return Step{std::string(1, c), kByteWait}; };
const auto Silence = [](double wait) { return Step{"", wait}; };
const auto Fails = [](double wait) { return Step{"", wait, 1}; };
// The user presses Cancel just before the step's read; no node can be had after the step's.
const auto Cancel = [](Step step) { return step.cancelBefore = 1, step; };
const auto LastNode = [](Step step) { return step.lastNode = 1, step; };

int nodesLeft = -1;

// Scripted reads, then what it can of `line`, then silence; notes how long each read could wait.
class C_FakePort : public C_Port
{
public:
    explicit C_FakePort(C_LinkRig& rig) : m_rig(rig)
    {
        nodesLeft = -1;
        rig.download.port = rig.erase.port = this;
        rig.download.context = rig.erase.context = this;
        rig.download.refreshDisplay = rig.erase.refreshDisplay = Refresh;
        rig.download.newNode = []() { return nodesLeft-- != 0 ? NewRecordNode() : NULL; };
    }
    int Open() override { return events += "open ", 1; }
    void Close() override { events += "close "; }
    int SetTimeouts(int mode) override { return m_mode = mode, 1; }
    int Write(const void* bytes, DWORD count, DWORD* done) override
    {
        written.append(static_cast<const char*>(bytes), *done = writeFails ? 0 : count);
        return !writeFails;
    }
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        COMMTIMEOUTS timeouts = {};
        ApplyReadTimeouts(timeouts, m_mode);
        waits.push_back((double)timeouts.ReadTotalTimeoutMultiplier * count +
                        timeouts.ReadTotalTimeoutConstant);
        const size_t index = waits.size() - 1;
        const Step step = index < reads.size() ? reads[index] : Block(line.substr(0, count));
        line.erase(0, index < reads.size() ? 0 : step.bytes.size());
        m_rig.cancelRequested |= step.cancelBefore || (int)index == cancelBefore;
        nodesLeft = step.lastNode ? 0 : nodesLeft;
        *received = (DWORD)std::min<size_t>(step.bytes.size(), count);
        memcpy(buffer, step.bytes.data(), *received);
        return !step.fails;
    }
    static void Refresh(void* self)
    {
        C_FakePort* port = static_cast<C_FakePort*>(self);
        port->events += "refresh" + std::to_string(port->m_rig.dataValid.load()) + " ";
    }

    std::vector<Step> reads;
    std::string line;
    int cancelBefore = -1, writeFails = 0;
    std::string written, events; // events: open, refresh with DataValid, close
    std::vector<double> waits;

private:
    C_LinkRig& m_rig;
    int m_mode = -1;
};

// A message box as the test expects it: text and type.
const auto Shown = [](const std::string& text, UINT type)
{ return text + " [" + std::to_string(type) + "]\n"; };
const auto Error = [](int id)
{ return Shown("Protocol Error. [ID: " + std::to_string(id) + "]", MB_ICONEXCLAMATION); };
const std::string kQuestion = Shown("Erase all values from the card?", MB_YESNO | MB_ICONQUESTION);

// What a row sets up besides the reads.
enum
{
    kDownload = 0,
    kErase = 1,       // EraseCard, answered Yes
    kAnswerNo = 2,    // the erase question answered No
    kWriteFails = 4,  // the command's write fails
    kMissingPort = 8, // the real serial port, on a COM name that does not exist
    kGerman = 16      // the selected language is German
};

const std::vector<std::string> kOldData(2, std::string(48, 'R'));

struct FakeCase
{
    const char* name;
    int setup;
    std::vector<Step> reads;
    DownloadEnding ending; // the erase leaves it kEndNotRun
    LONG valid;
    std::vector<std::string> kept; // the records afterwards
    std::string boxes;             // shown in order, each owned by the main window
};

// clang-format off
const FakeCase kCases[] = {
    {"silent card, Cancel meanwhile", kDownload, {Echo('e'), Header(), Rec(1), Cancel(Silence(kRecordWait))},
        kEndIncomplete, 0, {Record(1)}, ""},
    {"header cut short", kDownload, {Echo('e'), Block(std::string(30, 'h'), kHeaderWait)},
        kEndExchangeFailed, 0, {}, Error(6)},
    {"read fails after records", kDownload, {Echo('e'), Header(), Rec(1), Rec(2), Fails(kRecordWait)},
        kEndReadFailure, 1, {Record(1), Record(2)}, Error(4)},
    {"read fails in the scan", kDownload, {Echo('e'), Header(), Rec(1), Block(Malformed(2)), Byte('x'),
        Fails(kByteWait)}, kEndReadFailure, 1, {Record(1)}, Error(4)},
    {"header read fails", kDownload, {Echo('e'), Fails(kHeaderWait)}, kEndExchangeFailed, 0, {}, Error(4)},
    {"echo read fails", kDownload, {Fails(kEchoWait)}, kEndExchangeFailed, 0, {}, Error(2)},
    {"command write fails", kWriteFails, {}, kEndExchangeFailed, 0, {}, Error(1)},
    {"no third node", kDownload, {Echo('e'), Header(), Rec(1), LastNode(Rec(2))},
        kEndNoMemory, 0, {Record(1), Record(2)}, ""},
    {"Cancel after the header", kDownload, {Echo('e'), Cancel(Header())}, kEndCancelled, 0, {}, ""},
    {"Cancel as the scan finds CR", kDownload, {Echo('e'), Header(), Rec(1), Block(Malformed(2)),
        Cancel(Byte('\r'))}, kEndCancelled, 0, {Record(1)}, ""},
    {"bad record, Cancel set", kDownload, {Echo('e'), Header(), Rec(1), Cancel(Block(Malformed(2)))},
        kEndCancelInScan, 1, {Record(1)}, ""},
    {"Cancel while the scan skips noise", kDownload, {Echo('e'), Header(), Rec(1), Block(Malformed(2)),
        Byte('x'), Cancel(Byte('x'))}, kEndCancelInScan, 1, {Record(1)}, ""},
    {"card without records", kDownload, {Echo('e'), Header(), Block("o")}, kEndMarker, 1, {}, ""},
    {"card stops in a record", kDownload, {Echo('e'), Header(), Rec(1), Rec(2), Block(Record(3).substr(9))},
        kEndIncomplete, 0, {Record(1), Record(2)}, ""},
    {"a single byte other than 'o'", kDownload, {Echo('e'), Header(), Rec(1), Rec(2), Block("x")},
        kEndIncomplete, 0, {Record(1), Record(2)}, ""},
    // The CR begins a record, so the 'o' after it is no end marker.
    {"'o' after the CR the scan found", kDownload, {Echo('e'), Header(), Rec(1), Block(Malformed(2)),
        Byte('x'), Byte('\r'), Block("o", 47 * 30000 + 5000)}, kEndIncomplete, 0, {Record(1)}, ""},
    {"missing port", kMissingPort, {}, kEndNoPort, 1, kOldData,
        Shown("Can't open Serial Port.", MB_ICONEXCLAMATION)},
    {"erase acknowledged", kErase, {Echo('r'), Byte('o')},
        kEndNotRun, 0, {}, kQuestion + Shown("Card values successfully reseted.", MB_ICONINFORMATION)},
    {"erase, wrong acknowledgement", kErase, {Echo('r'), Byte('x')},
        kEndNotRun, 1, kOldData, kQuestion + Error(8)},
    {"erase, acknowledgement fails", kErase, {Echo('r'), Fails(kByteWait)},
        kEndNotRun, 1, kOldData, kQuestion + Error(7)},
    {"erase, wrong echo", kErase, {Echo('x')}, kEndNotRun, 1, kOldData, kQuestion + Error(9)},
    {"erase, command write fails", kErase | kWriteFails, {}, kEndNotRun, 1, kOldData, kQuestion + Error(1)},
    {"erase refused", kErase | kAnswerNo, {}, kEndNotRun, 1, kOldData, kQuestion},
    {"erase in German, missing port", kErase | kMissingPort | kGerman, {}, kEndNotRun, 1, kOldData,
        Shown(Cp1252Of(kStringTable[3].german), MB_YESNO | MB_ICONQUESTION) +
        Shown(Cp1252Of(kStringTable[0].german), MB_ICONEXCLAMATION)},
};
// clang-format on

// In piece `piece` (0 the header, k record k, then 'o') `drop` bytes from `at` on were lost, `insert` came.
struct Damage
{
    int piece, at, drop;
    std::string insert;
};

struct DamagedCard
{
    const char* name;
    std::vector<Damage> damage;
    std::vector<int> kept; // in order, none listed: all; -k: the 48 bytes that came from record k's start on
    DownloadEnding ending;
    int headerKept = 83;   // bytes of the header kept, blanks after them
    int cancelBefore = -1; // the read before which Cancel is pressed
    int records = 5;       // the card sends the header, records 1 to n and 'o'
};

const DamagedCard kDamagedCards[] = {
    {"record 2 one byte short", {{2, 47, 1, ""}}, {1, 3, 4, 5}, kEndMarker},
    {"20 NULs between records 2 and 3", {{3, 0, 0, std::string(20, 0)}}, {1, 2, 3, 4, 5}, kEndMarker},
    {"header one byte short", {{0, 40, 1, ""}}, {1, 2, 3, 4, 5}, kEndMarker, 82},
    {"record 2 missing byte 46", {{2, 46, 1, ""}}, {1, 3, 4, 5}, kEndMarker},
    {"extra byte in record 2's last field", {{2, 46, 0, "x"}}, {1, -2, 3, 4, 5}, kEndMarker},
    {"last record short, its block took the 'o'", {{5, 10, 1, ""}}, {1, 2, 3, 4}, kEndMarker},
    {"last record short at its end", {{5, 47, 1, ""}}, {1, 2, 3, 4, -5}, kEndMarker},
    {"noise bytes inside a field", {{2, 10, 0, "#%&"}}, {1, 3, 4, 5}, kEndMarker},
    {"a CR inside a field", {{2, 10, 1, "\r"}}, {1, 3, 4, 5}, kEndMarker},
    {"two malformed records in a row", {{2, 16, 1, ","}, {3, 16, 1, ","}}, {1, 4, 5}, kEndMarker},
    {"last record too long, no 'o'", {{5, 10, 0, "#"}, {6, 0, 1, ""}}, {1, 2, 3, 4}, kEndIncomplete},
    {"header 50 short, CR in record 1", {{0, 33, 50, ""}, {1, 10, 1, "\r"}}, {2, 3, 4, 5}, kEndMarker, 33},
    {"record 5 cut short before the 'o'", {{5, 20, 28, ""}}, {1, 2, 3, 4}, kEndIncomplete},
    {"Cancel as a CR inside a block is found", {{2, 47, 1, ""}}, {1}, kEndCancelled, 83, 3},
    {"2,000 clean records", {}, {}, kEndMarker, 83, -1, 2000},
};

} // namespace

TEST(LinkFake, EachLineSituationEndsAsTheUserWouldSeeIt)
{
    for (const FakeCase& row : kCases)
    {
        SCOPED_TRACE(row.name);
        const int erase = row.setup & kErase;
        C_MessageBoxAnswerer answerer("Karpolin", row.setup & kAnswerNo ? IDNO : IDYES);
        C_LinkRig rig(row.setup & kMissingPort ? "com7" : "com5");
        C_FakePort port(rig);
        port.reads = row.reads;
        port.writeFails = row.setup & kWriteFails;
        if (row.setup & kMissingPort)
            rig.download.port = rig.erase.port = NULL;
        rig.download.owner.language = rig.erase.owner.language = row.setup & kGerman ? 1031 : 1033;
        if (erase)
            EXPECT_EQ(row.valid == 0, EraseCard(rig.erase));
        else
            ASSERT_TRUE(rig.Download(10000));

        EXPECT_EQ(row.ending, rig.download.ending);
        EXPECT_EQ(row.valid, rig.dataValid.load());
        EXPECT_EQ(row.kept, rig.Records());
        std::string header(83, 'H'), boxes;
        if (!erase && row.reads.size() > 1)
            header.replace(0, row.reads[1].bytes.size(), row.reads[1].bytes);
        EXPECT_EQ(header, rig.Header());
        for (const SeenMessageBox& box : answerer.Seen())
            boxes += Shown(box.owner == rig.window.Handle() ? box.text : "not owned: " + box.text, box.type);
        EXPECT_EQ(row.boxes, boxes);
        std::vector<double> waits;
        for (const Step& step : row.reads)
            waits.push_back(step.wait);
        EXPECT_EQ(waits, port.waits);
        EXPECT_EQ(row.reads.empty() ? "" : erase ? "r" : "e", port.written);
        // Refreshed with DataValid final before the port closes; the progress dialog is asked to close
        // whatever happened.
        const std::string refresh = erase && row.valid ? "" : "refresh" + std::to_string(row.valid) + " ";
        EXPECT_EQ(row.setup & (kMissingPort | kAnswerNo) ? "" : "open " + refresh + "close ", port.events);
        EXPECT_EQ(!erase, rig.progress.Finished());
    }
}

TEST(StartDownload, RefusesWhileAWorkerRunsAndLeavesItsCancelAlone)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com5");
    C_FakePort port(rig);
    port.line = "e" + std::string(83, 'h') + "o";
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    rig.download.context = release;
    rig.download.refreshDisplay = [](void* event) { WaitForSingleObject(event, 10000); };
    ASSERT_EQ(1, rig.Start());
    rig.cancelRequested = 1;
    EXPECT_EQ(0, rig.Start());
    EXPECT_EQ(1, rig.cancelRequested.load());
    EXPECT_EQ(0, rig.progress.Finished()); // the running worker's request is still to come
    SetEvent(release);
    ASSERT_TRUE(rig.Wait(10000));
    EXPECT_EQ(1, rig.progress.Finished());

    // Once it has ended, the next download starts afresh with Cancel cleared.
    port.line = "e" + std::string(83, 'h') + "o";
    ASSERT_TRUE(rig.Download(10000));
    EXPECT_EQ(kEndMarker, rig.download.ending);
    CloseHandle(release);
}

TEST(LinkFake, DamagedCardsKeepEveryRecordThatArrivedIntact)
{
    for (const DamagedCard& row : kDamagedCards)
    {
        SCOPED_TRACE(row.name);
        std::vector<std::string> pieces(row.records + 2, "o");
        for (int n = 0; n <= row.records; ++n)
            pieces[n] = n ? Record(n) : std::string(83, 'h');
        for (const Damage& damage : row.damage)
            pieces[damage.piece].replace(damage.at, damage.drop, damage.insert);
        C_MessageBoxAnswerer answerer("Karpolin", IDOK);
        C_LinkRig rig("com5");
        C_FakePort port(rig);
        port.reads = {Echo('e')};
        port.cancelBefore = row.cancelBefore;
        for (const std::string& piece : pieces)
            port.line += piece;
        ASSERT_TRUE(rig.Download(10000));
        EXPECT_EQ(row.ending, rig.download.ending);
        std::vector<std::string> kept(pieces.end() - 1 - row.records * row.kept.empty(), pieces.end() - 1);
        for (int k : row.kept)
            kept.push_back(k > 0 ? Record(k) : (pieces[-k] + pieces[1 - k]).substr(0, 48));
        EXPECT_EQ(kept, rig.Records());
        EXPECT_EQ(pieces[0].substr(0, row.headerKept) + std::string(83 - row.headerKept, ' '), rig.Header());
    }
}
