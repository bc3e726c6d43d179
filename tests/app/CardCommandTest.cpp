#include <gtest/gtest.h>

#include "LinkRig.h"
#include "MainWindowRig.h"

// Synchronization in the program's own window against the simulator on com5 (none: the port is missing).
struct CardCommandRow
{
    const char *name, *scenario;
    int press;          // while the records stream: 1 Esc, 2 the close box
    const char* button; // the progress dialog's button afterwards
    int rows, boxes;
};

using CardCommands = testing::TestWithParam<CardCommandRow>;

static BOOL CALLBACK FindProgress(HWND window, LPARAM found) // the dialog with the cancel button
{
    return !GetDlgItem(window, IDC_PROGRESS_CANCEL) || !(*reinterpret_cast<HWND*>(found) = window);
}

TEST_P(CardCommands, TheDialogEndsWithTheWorkerAndTheWindowShowsWhatTheEndingLeft)
{
    const CardCommandRow& row = GetParam();
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(!row.scenario || simulator.Start("com5", row.scenario)) << simulator.problem;
    C_MessageRecorder boxes(IDOK);
    C_MainWindowRig rig;
    rig.key.SetString("Port", "com5");
    HWND window = rig.Start(), progress = NULL;
    PostMessageA(window, WM_COMMAND, IDM_SYNCHRONIZATION, 0);
    for (int i = 0; i < 300 && !progress; i++, Sleep(10))
        EnumThreadWindows(GetWindowThreadProcessId(window, NULL), FindProgress, (LPARAM)&progress);
    if (row.press)
        Sleep(1000), SendMessageA(progress, row.press == 1 ? WM_COMMAND : WM_CLOSE, IDCANCEL, 0);
    char text[64] = "";
    GetDlgItemTextA(progress, IDC_PROGRESS_CANCEL, text, sizeof(text));
    EXPECT_TRUE(IsWindow(progress) || row.boxes) << "only the worker ends it";
    for (int i = 0; i < 1500 && IsWindow(progress); i++)
        Sleep(10);
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_TRUE(!row.button[0] || std::string(row.button) == text) << text;
    EXPECT_EQ(row.rows, ListView_GetItemCount(GetDlgItem(window, IDC_POINT_LIST)));
    EXPECT_EQ(row.boxes, (int)boxes.Seen().size());
}

INSTANTIATE_TEST_SUITE_P(Synchronization, CardCommands,
                         testing::Values(CardCommandRow{"CleanCard", "clean-card.txt", 0, "Cancel", 5, 0},
                                         CardCommandRow{"Esc", "streaming.txt", 1, "Please wait", 0, 0},
                                         CardCommandRow{"CloseBox", "streaming.txt", 2, "Please wait", 0, 0},
                                         CardCommandRow{"PortMissing", NULL, 0, "", 0, 1}),
                         [](const testing::TestParamInfo<CardCommandRow>& info) { return info.param.name; });
