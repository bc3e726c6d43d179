#include <gtest/gtest.h>

#include "LinkRig.h"
#include "MainWindowRig.h"
#include "ui/Typhoon.h"

#include <dlgs.h> // after windows.h
#include <tlhelp32.h>

// Synchronization and Reset in the program's own window, the simulator playing `scenario` on `port`.
struct CardCommandRow
{
    const char *name, *scenario;
    // S download, R erase, V save, B 1200 baud, 7 / 5 the port, F the fake line from now; v, o, r: Save, Open
    // and Reset, each through the file dialog confirmed; x: Reset whose file dialog is cancelled.
    const char* commands;
    int press;           // 0.8 s into the first download: 1 Esc, 2 the close box, 3 the button
    int answer;          // to every message box
    const char* dialogs; // per download 0.25 s in: the button's text and "+" when the bar moved, or "-" when
                         // gone; then the text after the press; "data.dat" if Save wrote it
    int rows;
    std::string boxes, received; // "^": over the progress dialog, "~": with the wait cursor; received: per
                                 // arrival, the fake's
    double silence = 0;          // from the end marker until the dialog has gone
    const char* port = "com5";
};

static BOOL CALLBACK FindHolder(HWND window, LPARAM search)
{
    auto& [control, found] = *reinterpret_cast<std::pair<int, HWND>*>(search);
    return !GetDlgItem(window, control) || !(found = window);
}

// The window of `window`'s thread that holds `control`: the progress dialog, the file dialog.
static HWND WaitForHolder(HWND window, int control)
{
    std::pair<int, HWND> search(control, NULL);
    for (int i = 0; i < 300 && !search.second; i++, Sleep(10))
        EnumThreadWindows(GetWindowThreadProcessId(window, NULL), FindHolder, (LPARAM)&search);
    return search.second;
}

static int ThreadCount()
{
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return CloseHandle(snapshot), count;
}

// The fake line's card: its header and one record.
const std::string kFakeCard =
    "e\r\n" + std::string(81, 'h') + "\r 01;00;12:00:00;00001;020 000.1;001.5; 151; 981o";

static std::string BarPicture(HWND progress)
{
    HWND bar = FindWindowExA(progress, NULL, C_Typhoon::kClassName, NULL);
    HDC dc = GetDC(bar);
    std::string picture;
    for (int x = 0; x < 400; x += 2)
        picture += std::to_string(GetPixel(dc, x, 6));
    return ReleaseDC(bar, dc), picture;
}

using CardCommands = testing::TestWithParam<CardCommandRow>;

TEST_P(CardCommands, EachEndingShowsInTheWindowAndOnlyTheWorkerEndsTheDialog)
{
    const CardCommandRow& row = GetParam();
    const int threads = ThreadCount();
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start(row.port, row.scenario)) << simulator.problem;
    C_MessageRecorder recorder(row.answer, 400);
    C_LinkRig fake(row.port);
    fake.UseFakeLine("r", kNothing);
    std::string dialogs;
    double closed = 0;
    DeleteFileA("data.dat");
    {
        C_MainWindowRig rig;
        int injected = 0;
        rig.key.SetString("Port", row.port);
        HWND window = rig.Start();
        for (const char* command = row.commands; *command; command++)
        {
            const char kLetters[] = "SRVB75vorx";
            const int kItems[] = {IDM_SYNCHRONIZATION, IDM_RESET, IDM_SAVE, IDM_BAUD_1200, IDM_PORT7,
                                  IDM_PORT5,           IDM_SAVE,  IDM_OPEN, IDM_RESET,     IDM_RESET};
            const int item = kItems[strchr(kLetters, *command) ? strchr(kLetters, *command) - kLetters : 0];
            if (*command == 'F')
                C_MainWindow::InjectPort(&fake), injected = 1;
            if (injected && (*command == 'S' || fake.line.empty()))
                fake.line = *command == 'S' ? kFakeCard : "ro";
            const int fileDialog = *command && strchr("vorx", *command);
            if (fileDialog)
            {
                PostMessageA(window, WM_COMMAND, item, 0);
                HWND dialog = WaitForHolder(window, cmb13);
                PostMessageA(dialog, WM_COMMAND, *command == 'x' ? IDCANCEL : IDOK, 0);
                for (int i = 0; i < 500 && IsWindow(dialog); i++)
                    Sleep(10);
            }
            if (*command != 'S' || injected)
            {
                // After a file dialog: the rest of its command has run once this is answered.
                SendMessageA(window, WM_COMMAND, fileDialog || *command == 'F' ? 0 : item, 0);
                continue;
            }
            PostMessageA(window, WM_COMMAND, IDM_SYNCHRONIZATION, 0);
            HWND progress = WaitForHolder(window, IDC_PROGRESS_CANCEL);
            char text[64] = "";
            GetDlgItemTextA(progress, IDC_PROGRESS_CANCEL, text, sizeof(text));
            Sleep(100); // painted once
            const std::string before = BarPicture(progress);
            Sleep(150);
            dialogs +=
                !IsWindow(progress) ? "-" : text + std::string(before != BarPicture(progress) ? "+" : "");
            if (row.press && command == strchr(row.commands, 'S'))
            {
                const UINT kPresses[][2] = {
                    {WM_COMMAND, IDCANCEL}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_COMMAND, IDC_PROGRESS_CANCEL}};
                Sleep(650), SendMessageA(progress, kPresses[row.press - 1][0], kPresses[row.press - 1][1], 0);
                GetDlgItemTextA(progress, IDC_PROGRESS_CANCEL, text, sizeof(text));
                EXPECT_TRUE(IsWindow(progress)) << "only the worker ends it";
                dialogs += std::string(",") + text;
            }
            for (int i = 0; i < 1500 && IsWindow(progress); i++)
                Sleep(10);
            EXPECT_FALSE(IsWindow(progress));
            closed = UnixNow(), dialogs += " ";
        }
        EXPECT_EQ(row.rows, ListView_GetItemCount(GetDlgItem(window, IDC_POINT_LIST)));
        C_MainWindow::InjectPort(NULL);
    }
    // The file dialog leaves the shell's threads behind.
    EXPECT_TRUE(strpbrk(row.commands, "vorx") || threads == ThreadCount())
        << "nothing left running after Exit";
    simulator.Stop();
    EXPECT_EQ(row.dialogs, dialogs + (DeleteFileA("data.dat") ? "data.dat" : ""));
    std::string boxes, received;
    for (const C_MessageRecorder::Shown& box : recorder.Seen())
        boxes += std::string(box.ownerEnabled ? "" : "^") +
                 (box.cursor == LoadCursor(NULL, IDC_WAIT) ? "~" : "") + box.text + "|";
    EXPECT_EQ(row.boxes, boxes);
    for (const std::string& arrival : simulator.received)
        received += arrival + "|";
    received += fake.events;
    EXPECT_EQ(row.received, received);
    EXPECT_EQ(0, fake.wrongWaits);
    EXPECT_TRUE(!row.silence || (closed - simulator.markerTime > row.silence - 0.2 &&
                                 closed - simulator.markerTime < row.silence + 1.5))
        << closed - simulator.markerTime;
}

const std::string
    kAt9600 = "65 9600 8 N 1|",
    kQuestion = "Erase all values from the card?|", kErased = "~Card values successfully reseted.|",
    kFake = "open e close ",
    kSave = "The values on screen came from the card and have not been saved. Save them before the card "
            "is erased?|";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Program, CardCommands, testing::Values(
    // Above com8 the port opens through its \\.\COMn form.
    CardCommandRow{"CleanCard", "clean-card.txt", "S", 0, IDOK, "Cancel+ ", 5, "", kAt9600, 6.0, "com12"},
    CardCommandRow{"Resynchronised", "resync.txt", "S", 0, IDOK, "Cancel+ ", 4, "", kAt9600},
    CardCommandRow{"CutMidRecord", "cut.txt", "S", 0, IDOK, "Cancel+ ", 0, "", kAt9600},
    CardCommandRow{"EscWhileStreaming", "streaming.txt", "S", 1, IDOK, "Cancel+,Please wait ", 0, "", kAt9600},
    CardCommandRow{"CloseBoxWhileStreaming", "streaming.txt", "S", 2, IDOK, "Cancel+,Please wait ", 0, "",
                   kAt9600},
    CardCommandRow{"CancelDuringScan", "scan.txt", "S", 3, IDOK, "Cancel+,Please wait ", 3, "", kAt9600},
    CardCommandRow{"SecondDownload", "twice.txt", "SS", 3, IDOK, "Cancel+,Please wait Cancel+ ", 3, "",
                   kAt9600 + kAt9600},
    CardCommandRow{"SwitchedOffAt1200", "switched-off.txt", "BS", 0, IDOK, "Cancel+ ", 0,
                   "^Protocol Error. [ID: 5]|", "65 1200 8 N 1|"},
    // The port missing, a wrong echo and no acknowledgement keep the data; the fake line saves 35 s.
    CardCommandRow{"FailuresKeepTheData", "kept.txt", "S7S5rFR", 0, IDYES, "Cancel+ Cancel+ data.dat", 5,
                   "^Can't open Serial Port.|" + kSave + kQuestion + "~Protocol Error. [ID: 9]|" + kQuestion +
                       "~Protocol Error. [ID: 8]|", kAt9600 + "72 9600 8 N 1|open r close "},
    CardCommandRow{"EraseRefused", "switched-off.txt", "R", 0, IDNO, "", 0, kQuestion, ""},
    // Downloaded values that no file holds: Reset asks to save them first.
    CardCommandRow{"SavedThenErasedThenSave", "erase.txt", "SrV", 0, IDYES, "Cancel+ data.dat", 0,
                   kSave + kQuestion + kErased + "No Data available to save.|", kAt9600 + "72 9600 8 N 1|"},
    CardCommandRow{"SaveDialogCancelled", "switched-off.txt", "FSx", 0, IDYES, "", 1, kSave, kFake},
    CardCommandRow{"NotSaved", "switched-off.txt", "FSR", 0, IDNO, "", 1, kSave + kQuestion, kFake},
    CardCommandRow{"SaveQuestionCancelled", "switched-off.txt", "FSR", 0, IDCANCEL, "", 1, kSave, kFake},
    CardCommandRow{"AfterSave", "switched-off.txt", "FSvR", 0, IDNO, "data.dat", 1, kQuestion, kFake},
    CardCommandRow{"AfterOpen", "switched-off.txt", "FSvSoR", 0, IDNO, "data.dat", 1, kQuestion, kFake + kFake}),
    [](const testing::TestParamInfo<CardCommandRow>& info) { return info.param.name; });
// clang-format on
