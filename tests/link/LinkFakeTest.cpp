#include <gtest/gtest.h>
#include <ctype.h>
#include <string.h>

#include <functional>

#include "LinkRig.h"
#include "support/MessageBoxes.h"

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

// What a letter stands for: 1 to 3 that record, b record 2 with a wrong separator, H the header, O a
// record of the old data, c a carriage return, _ and ! nothing, any other letter itself.
std::string Bytes(char c)
{
    if (isdigit(c) || c == 'b')
        return c == 'b' ? Record(2).replace(43, 1, ",") : Record(c - '0');
    return c == 'H'          ? std::string(83, 'h')
           : c == 'O'        ? std::string(48, 'R')
           : c == 'c'        ? "\r"
           : strchr("_!", c) ? ""
                             : std::string(1, c);
}

// A scripted line: each read takes the next letter of `script` at once (_: silence, ! a failed read),
// then what it can of `line`, silence when that is empty too, and notes how long it could have waited.
class C_FakePort : public C_Port
{
public:
    int Open() override
    {
        events += "open ";
        return openResult;
    }
    void Close() override { events += "close "; }
    int SetTimeouts(int mode) override { return m_mode = mode, 1; }
    int Write(const void* bytes, DWORD count, DWORD* done) override
    {
        written.append(static_cast<const char*>(bytes), *done = writeResult ? count : 0);
        return writeResult;
    }
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        COMMTIMEOUTS timeouts = {};
        ApplyReadTimeouts(timeouts, m_mode);
        waits.push_back((double)timeouts.ReadTotalTimeoutMultiplier * count +
                        timeouts.ReadTotalTimeoutConstant);
        if (beforeRead)
            beforeRead(waits.size() - 1);
        const char letter = waits.size() <= strlen(script) ? script[waits.size() - 1] : 0;
        const std::string answer = letter ? Bytes(letter) : line.substr(0, count);
        line.erase(0, letter ? 0 : answer.size());
        *received = answer.size() < count ? (DWORD)answer.size() : count;
        memcpy(buffer, answer.data(), *received);
        return letter != '!';
    }

    static void Refresh(void* line) { static_cast<C_FakePort*>(line)->events += "refresh "; }

    const char* script = "";
    std::string line;
    std::function<void(size_t read)> beforeRead;
    int openResult = 1, writeResult = 1;
    std::string written, events; // events: "open ", "close " and what a test adds
    std::vector<double> waits;

private:
    int m_mode = -1;
};

const int kOpenFails = 1, kWriteFails = 2;

struct FakeCase
{
    const char* name;
    int erase;          // EraseCard, answered Yes, instead of the download
    int fault;          // 0, kOpenFails or kWriteFails
    const char* script; // a letter per read
    int cancelBefore;   // the read before which Cancel is pressed, or -1
    int nodes;          // nodes to be had, or -1
    DownloadEnding ending;
    LONG valid;
    const char* records; // a letter each, as for a read
    unsigned error;      // protocol error shown, or 0
    // The longest wait of each read on a real line: E the echo (300 ms), then under the block
    // time-outs H the header, R a record (about 24 min), B a byte (the 35 s acknowledgement, the scan).
    const char* waits;
};

const FakeCase kCases[] = {
    {"silent card, Cancel meanwhile", 0, 0, "eH1_", 3, -1, kEndIncomplete, 0, "1", 0, "EHRR"},
    {"header never comes", 0, 0, "e", -1, -1, kEndExchangeFailed, 0, "", 6, "EH"},
    {"read fails after records", 0, 0, "eH12!", -1, -1, kEndReadFailure, 1, "12", 4, "EHRRR"},
    {"read fails in the scan", 0, 0, "eH1bx!", -1, -1, kEndReadFailure, 1, "1", 4, "EHRRBB"},
    {"header read fails", 0, 0, "e!", -1, -1, kEndExchangeFailed, 0, "", 4, "EH"},
    {"echo read fails", 0, 0, "!", -1, -1, kEndExchangeFailed, 0, "", 2, "E"},
    {"command write fails", 0, kWriteFails, "", -1, -1, kEndExchangeFailed, 0, "", 1, ""},
    {"no third node", 0, 0, "eH123", -1, 2, kEndNoMemory, 0, "12", 0, "EHRR"},
    {"Cancel after the header", 0, 0, "eH", 1, -1, kEndCancelled, 0, "", 0, "EH"},
    {"Cancel as the scan finds CR", 0, 0, "eH1bc", 4, -1, kEndCancelled, 0, "1", 0, "EHRRB"},
    {"bad record, Cancel set", 0, 0, "eH1b", 3, -1, kEndCancelInScan, 1, "1", 0, "EHRR"},
    {"card without records", 0, 0, "eHo", -1, -1, kEndMarker, 1, "", 0, "EHR"},
    {"port does not open", 0, kOpenFails, "", -1, -1, kEndNoPort, 1, "OO", 0, ""},
    {"erase, no acknowledgement", 1, 0, "r_", -1, -1, kEndNotRun, 1, "OO", 8, "EB"},
    {"erase, acknowledgement fails", 1, 0, "r!", -1, -1, kEndNotRun, 1, "OO", 7, "EB"},
    {"erase, command write fails", 1, kWriteFails, "", -1, -1, kEndNotRun, 1, "OO", 1, ""},
};

int nodesLeft;

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
        C_MessageBoxAnswerer answerer("Karpolin", IDYES);
        C_LinkRig rig("com5");
        C_FakePort port;
        port.script = row.script;
        port.openResult = row.fault != kOpenFails;
        port.writeResult = row.fault != kWriteFails;
        port.beforeRead = [&](size_t index) { rig.cancelRequested |= (int)index == row.cancelBefore; };
        nodesLeft = row.nodes;
        rig.download.newNode = []() { return nodesLeft-- != 0 ? NewRecordNode() : NULL; };
        rig.download.port = rig.erase.port = &port;
        rig.download.context = rig.erase.context = &port;
        rig.download.refreshDisplay = rig.erase.refreshDisplay = C_FakePort::Refresh;
        if (row.erase)
            EXPECT_EQ(0, EraseCard(rig.erase));
        else
            ASSERT_TRUE(rig.Download(10000));

        EXPECT_EQ(row.ending, rig.download.ending);
        EXPECT_EQ(row.valid, rig.dataValid.load());
        std::vector<std::string> records;
        std::vector<double> waits;
        for (const char* c = row.records; *c; ++c)
            records.push_back(Bytes(*c));
        for (const char* c = row.waits; *c; ++c)
            waits.push_back(*c == 'E' ? 300 : *c == 'H' ? 2495000 : *c == 'R' ? 1445000 : 35000);
        EXPECT_EQ(records, rig.Records());
        EXPECT_EQ(std::string(83, row.script[0] && row.script[1] == 'H' ? 'h' : 'H'), rig.Header());
        std::string texts, expected = row.erase ? "Erase all values from the card?\n" : "";
        for (const SeenMessageBox& seen : answerer.Seen())
            texts += seen.text + "\n";
        if (row.error)
            expected += "Protocol Error. [ID: " + std::to_string(row.error) + "]\n";
        EXPECT_EQ(expected, texts);
        EXPECT_EQ(waits, port.waits);
        EXPECT_EQ(row.fault ? "" : row.erase ? "r" : "e", port.written);
        // Refreshed before the port closes; the progress dialog is asked to close whatever happened.
        EXPECT_EQ(row.fault == kOpenFails ? "open "
                  : row.erase             ? "open close "
                                          : "open refresh close ",
                  port.events);
        EXPECT_EQ(!row.erase, rig.progress.Finished());
    }
}

TEST(StartDownload, RefusesWhileAWorkerRunsAndLeavesItsCancelAlone)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com5");
    C_FakePort port;
    rig.download.port = &port;
    port.script = "eHo";
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    port.beforeRead = [release](size_t) { WaitForSingleObject(release, 10000); };
    ASSERT_EQ(1, rig.Start());
    rig.cancelRequested = 1;
    EXPECT_EQ(0, rig.Start());
    EXPECT_EQ(0, rig.progress.Finished()); // the running worker's request is still to come
    SetEvent(release);
    ASSERT_TRUE(rig.Wait(10000));
    CloseHandle(release);
    EXPECT_EQ(kEndCancelled, rig.download.ending); // it kept its Cancel
    EXPECT_EQ("open close ", port.events);
    EXPECT_EQ(1, rig.progress.Finished());

    // Once it has ended, the next download starts afresh with Cancel cleared.
    port.waits.clear();
    port.beforeRead = nullptr;
    ASSERT_TRUE(rig.Download(10000));
    EXPECT_EQ(kEndMarker, rig.download.ending);
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
        C_FakePort port;
        rig.download.port = &port;
        port.script = "e";
        port.beforeRead = [&](size_t index) { rig.cancelRequested |= (int)index == row.cancelBefore; };
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
