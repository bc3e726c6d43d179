#include <gtest/gtest.h>

#include "LinkRig.h"
#include "link/ProgressDialog.h"
#include "res/Resource.h"
#include "support/StringTableData.h"
#include "support/TestDialog.h"

// The download and the erase on a fake line: time-outs of minutes, failures, damage, no memory.

// Record n of a card, its number in bytes 2-3.
static std::string Record(int n)
{
    char record[49];
    sprintf(record, "\r %02d;00;12:00:00;00001;020 000.1;001.5; 151; 981", n);
    return record;
}

const auto Malformed = [](int n) { return Record(n).replace(43, 1, ","); };

// In piece `piece` (0 the header, k record k, then the end) `drop` bytes at `at` were lost, `insert` came.
struct Damage
{
    int piece, at, drop;
    std::string insert;
};

// The echo 'e', the header (the card begins it with CR LF), records 1 to `records`, then `end`.
static std::string Card(int records, std::string end = "o", const std::vector<Damage>& damage = {})
{
    std::vector<std::string> pieces(1, "\r\n" + std::string(81, 'h'));
    for (int n = 1; n <= records; ++n)
        pieces.push_back(Record(n));
    pieces.push_back(end);
    for (const Damage& d : damage)
        pieces[d.piece].replace(d.at, d.drop, d.insert);
    std::string line = "e";
    for (const std::string& piece : pieces)
        line += piece;
    return line;
}

// A message box as the test expects it: text and type.
const auto Shown = [](const std::string& text, UINT type)
{ return text + " [" + std::to_string(type) + "]\n"; };
const auto Error = [](int id)
{ return Shown("Protocol Error. [ID: " + std::to_string(id) + "]", MB_ICONEXCLAMATION); };
const std::string kQuestion = Shown("Erase all values from the card?", MB_YESNO | MB_ICONQUESTION),
                  kNoPort = Shown("Can't open Serial Port.", MB_ICONEXCLAMATION),
                  kErased = Shown("Card values successfully reseted.", MB_ICONINFORMATION);

struct FakeCase
{
    const char* name;
    std::string line; // what the instrument sends
    What what;
    DownloadEnding ending; // kEndNotRun: the row erases
    LONG valid;
    std::vector<int> kept;  // afterwards: k record k, -k the 48 bytes from its start on, 0 an old one
    std::string boxes = ""; // shown in order, each owned by the main window
    int headerKept = 83;    // header bytes kept, blanks after them
};

// A card of five records that lost or gained bytes on the way.
static FakeCase Damaged(const char* name, const std::vector<Damage>& damage, const std::vector<int>& kept,
                        DownloadEnding ending = kEndMarker, int headerKept = 83)
{
    return {name, Card(5, "o", damage), kNothing, ending, ending == kEndMarker, kept, "", headerKept};
}

// clang-format off
const FakeCase kCases[] = {
    {"header cut short", Card(0).substr(0, 31), kNothing, kEndExchangeFailed, 0, {}, Error(6)},
    {"read fails after records", Card(2, ""), kFails, kEndReadFailure, 1, {1, 2}, Error(4)},
    {"read fails in the scan", Card(1, Malformed(2) + "x"), kFails, kEndReadFailure, 1, {1}, Error(4)},
    {"echo read fails", "", kFails, kEndExchangeFailed, 0, {}, Error(2)},
    {"wrong echo", "x", kNothing, kEndExchangeFailed, 0, {}, Error(3)},
    {"command write fails", "", kWriteFails, kEndExchangeFailed, 0, {}, Error(1)},
    {"no third node", Card(2, ""), kNoNode, kEndNoMemory, 0, {1, 2}},
    {"Cancel during the header", Card(0, ""), kCancel, kEndCancelled, 0, {}},
    {"Cancel as the scan finds CR", Card(1, Malformed(2) + "\r"), kCancel, kEndCancelled, 0, {1}},
    {"Cancel during a bad record", Card(1, Malformed(2)), kCancel, kEndCancelInScan, 1, {1}},
    {"Cancel as the scan skips noise", Card(1, Malformed(2) + "xx"), kCancel, kEndCancelInScan, 1, {1}},
    {"Cancel as a block's CR is found", Card(2, "\r", {{2, 47, 1, ""}}), kCancel, kEndCancelled, 0, {1}},
    {"card without records", Card(0), kNothing, kEndMarker, 1, {}},
    {"card stops in a record", Card(2, Record(3).substr(9)), kNothing, kEndIncomplete, 0, {1, 2}},
    {"a single byte other than 'o'", Card(2, "x"), kNothing, kEndIncomplete, 0, {1, 2}},
    {"'o' right after the scan's CR", Card(1, Malformed(2) + "x\ro"), kNothing, kEndIncomplete, 0, {1}},
    {"missing port", "", kMissingPort, kEndNoPort, 1, {0, 0}, kNoPort},
    {"erase acknowledged", "ro", kNothing, kEndNotRun, 0, {}, kQuestion + kErased},
    {"erase, wrong acknowledgement", "rx", kNothing, kEndNotRun, 1, {0, 0}, kQuestion + Error(8)},
    {"erase, acknowledgement fails", "r", kFails, kEndNotRun, 1, {0, 0}, kQuestion + Error(7)},
    {"erase, wrong echo", "x", kNothing, kEndNotRun, 1, {0, 0}, kQuestion + Error(9)},
    {"erase refused", "", kAnswerNo, kEndNotRun, 1, {0, 0}, kQuestion},
    {"erase in German, missing port", "", kGerman, kEndNotRun, 1, {0, 0},
        Shown(Cp1252Of(kStringTable[3].german), MB_YESNO | MB_ICONQUESTION) +
        Shown(Cp1252Of(kStringTable[0].german), MB_ICONEXCLAMATION)},
    Damaged("record 2 one byte short", {{2, 47, 1, ""}}, {1, 3, 4, 5}),
    Damaged("20 NULs between records 2 and 3", {{3, 0, 0, std::string(20, 0)}}, {1, 2, 3, 4, 5}),
    Damaged("header one byte short", {{0, 40, 1, ""}}, {1, 2, 3, 4, 5}, kEndMarker, 82),
    Damaged("record 2 missing byte 46", {{2, 46, 1, ""}}, {1, 3, 4, 5}),
    Damaged("extra byte in record 2's last field", {{2, 46, 0, "x"}}, {1, -2, 3, 4, 5}),
    Damaged("last record short, its block took the 'o'", {{5, 10, 1, ""}}, {1, 2, 3, 4}),
    Damaged("last record short at its end", {{5, 47, 1, ""}}, {1, 2, 3, 4, -5}),
    Damaged("last record too long, no 'o'", {{5, 10, 0, "#"}, {6, 0, 1, ""}}, {1, 2, 3, 4}, kEndIncomplete),
    Damaged("header 50 short, CR in record 1", {{0, 33, 50, ""}, {1, 10, 1, "\r"}}, {2, 3, 4, 5}, kEndMarker,
        33),
    Damaged("record 5 cut short before the 'o'", {{5, 20, 28, ""}}, {1, 2, 3, 4}, kEndIncomplete),
};
// clang-format on

TEST(LinkFake, EachLineSituationEndsAsTheUserWouldSeeIt)
{
    for (const FakeCase& row : kCases)
    {
        SCOPED_TRACE(row.name);
        const int erase = row.ending == kEndNotRun, quiet = row.what >= kAnswerNo;
        C_MessageRecorder recorder(row.what == kAnswerNo ? IDNO : IDYES);
        C_LinkRig rig(quiet ? "com7" : "com5");
        if (row.what < kMissingPort)
            rig.UseFakeLine(row.line, row.what);
        rig.download.owner.language = row.what == kGerman ? 1031 : 1033;
        if (erase)
            EXPECT_EQ(row.valid == 0, EraseCard(rig.download));
        else
            ASSERT_TRUE(rig.Download(10000));

        EXPECT_EQ(row.ending, rig.download.ending);
        EXPECT_EQ(row.valid, rig.dataValid.load());
        std::vector<std::string> kept;
        for (int k : row.kept)
            kept.push_back(k > 0   ? Record(k)
                           : k < 0 ? row.line.substr(row.line.find(Record(-k).substr(0, 5)), 48)
                                   : std::string(48, 'R'));
        EXPECT_EQ(kept, rig.Records());
        std::string header = erase || row.line.size() < 2 ? "" : row.line.substr(1, 83), boxes;
        header += std::string(83 - header.size(), 'H');
        EXPECT_EQ(header.replace(row.headerKept, 83, 83 - row.headerKept, ' '), rig.Header());
        for (const C_MessageRecorder::Shown& box : recorder.Seen())
            boxes += Shown(box.owner == rig.window.Handle() ? box.text : "not owned: " + box.text, box.type);
        EXPECT_EQ(row.boxes, boxes);
        EXPECT_EQ(0, rig.wrongWaits);
        // Refreshed with DataValid final before the port closes; the progress dialog is asked to close
        // whatever happened.
        const std::string refresh = erase && row.valid ? "" : "refresh" + std::to_string(row.valid) + " ";
        EXPECT_EQ(quiet ? "" : (erase ? "open r " : "open e ") + refresh + "close ", rig.events);
        EXPECT_EQ(!erase, rig.progress.Finished());
    }
}

// The worker waits in its display refresh while `go` is reset; plain windows stand in for the dialog.
TEST(StartDownload, OneWorkerAtATimeAndItsDialogClosesWithOrWithoutAWindowYet)
{
    C_MessageRecorder recorder(IDOK);
    C_LinkRig rig("com5");
    rig.UseFakeLine(Card(0), kNothing);
    C_CountingWindow early, dialog;
    HANDLE go = CreateEventA(NULL, TRUE, TRUE, NULL);
    rig.download.context = go;
    rig.download.refreshDisplay = [](void* event) { WaitForSingleObject(event, 10000); };
    // A Cancel left over does not reach the next download, which ends before its dialog has a window.
    rig.cancelRequested = 1;
    ASSERT_TRUE(rig.Download(10000));
    EXPECT_EQ(kEndMarker, rig.download.ending);
    EXPECT_EQ(1, rig.progress.Attach(early.Handle()));
    PumpMessages(100);
    EXPECT_EQ(1, early.Count(WM_CLOSE));

    ResetEvent(go);
    rig.line = Card(0);
    ASSERT_EQ(1, rig.Start());
    EXPECT_EQ(0, rig.progress.Attach(dialog.Handle()));
    rig.cancelRequested = 1;
    EXPECT_EQ(0, rig.Start()) << "a worker runs";
    EXPECT_EQ(1, rig.cancelRequested.load());
    SetEvent(go);
    Sleep(300);
    EXPECT_TRUE(rig.thread.IsRunning()) << "the close is sent: the worker waits until it is handled";
    ASSERT_TRUE(rig.Wait(10000));
    EXPECT_EQ(1, dialog.Count(WM_CLOSE));
    CloseHandle(go);
}

// The progress dialog's button ends a read that waits 6 s, 35 s or 24 minutes, on the real line.
struct CancelPtyCase
{
    const char* scenario;
    DownloadEnding ending;
    size_t records; // kept, shown or not
};
const CancelPtyCase kCancelCases[] = {{"header-cut-short.txt", kEndCancelled, 0},
                                      {"record-cut-short.txt", kEndCancelled, 2},
                                      {"silent-in-scan.txt", kEndCancelInScan, 2},
                                      {"silent-after-record.txt", kEndCancelled, 2}};

static C_ProgressDialog* s_dialog;
static double s_pressed;
static void CALLBACK PressCancel(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer), s_pressed = UnixNow(), s_dialog->OnCommand(IDC_PROGRESS_CANCEL, 0, 0);
}

TEST(CancelPty, TheButtonEndsTheReadInProgressWithinASecondWithoutAMessage)
{
    for (const CancelPtyCase& row : kCancelCases)
    {
        SCOPED_TRACE(row.scenario);
        C_MessageRecorder recorder(IDOK);
        C_InstrumentSimulator simulator;
        ASSERT_TRUE(simulator.Start("com6", row.scenario)) << simulator.problem;
        C_LinkRig rig("com6");
        C_ProgressDialog dialog(&rig.cancelRequested);
        rig.download.progress = &dialog.Closer(), s_dialog = &dialog;
        ASSERT_TRUE(rig.Start() && SetTimer(NULL, 0, 800, PressCancel));
        dialog.DoModal(GetModuleHandleA(NULL), IDD_PROGRESS, 0, rig.window.Handle());
        EXPECT_TRUE(UnixNow() - s_pressed < 1.0 && recorder.Seen().empty()) << "no message either";
        EXPECT_EQ((std::vector<size_t>{row.ending, IsValidEnding(row.ending) ? 1u : 0u, row.records}),
                  (std::vector<size_t>{rig.download.ending, rig.dataValid == 1, rig.Records().size()}));
        // Wine lets a port be opened twice: whether Close gives its handle back shows only on the handle.
        C_SerialPort port(rig.download.owner, "com6", 5, 0);
        DWORD flags = 0;
        EXPECT_EQ(1, port.Open());
        const HANDLE handle = port.Handle();
        port.Close();
        EXPECT_FALSE(GetHandleInformation(handle, &flags));
    }
}
