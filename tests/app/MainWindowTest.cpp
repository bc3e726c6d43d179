#include <gtest/gtest.h>

#include "MainWindowRig.h"

TEST(MainWindow, SizingKeepsTheMinimumAndGrowsTheListAlone)
{
    C_MainWindowRig rig;
    HWND window = rig.Start(), list = GetDlgItem(window, IDC_POINT_LIST),
         box = GetDlgItem(window, IDC_SAMPLING_BOX);
    const RECT start = rig.Rect(window), startList = rig.Rect(list), startBox = rig.Rect(box);
    const int width = start.right - start.left, height = start.bottom - start.top;
    const struct
    {
        int width, height; // asked for
        int expectedWidth, expectedHeight;
    } rows[] = {{width + 40, height + 30, width + 40, height + 30},
                {width + 40, height - 30, width + 40, height - 30 < 344 ? 344 : height - 30},
                {100, 100, 736, 344}};
    for (const auto& row : rows)
    {
        SetWindowPos(window, NULL, 0, 0, row.width, row.height, SWP_NOMOVE | SWP_NOZORDER);
        RECT now = rig.Rect(window), nowList = rig.Rect(list), nowBox = rig.Rect(box);
        EXPECT_EQ(row.expectedWidth, now.right - now.left);
        EXPECT_EQ(row.expectedHeight, now.bottom - now.top);
        const int dx = now.right - start.right, dy = now.bottom - start.bottom;
        EXPECT_EQ(startList.left - start.left, nowList.left - now.left) << row.width;
        EXPECT_EQ(startList.top - start.top, nowList.top - now.top);
        EXPECT_EQ(startList.right - startList.left + dx, nowList.right - nowList.left);
        EXPECT_EQ(startList.bottom - startList.top + dy, nowList.bottom - nowList.top);
        EXPECT_EQ(startBox.right - startBox.left, nowBox.right - nowBox.left) << "only the list grows";
    }
    WINDOWPOS position = {window, NULL, 0, 0, 10, 10, SWP_NOSIZE | SWP_NOMOVE};
    SendMessageA(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
    EXPECT_EQ(10, position.cx) << "a change without a size is left alone";
    EXPECT_EQ(10, position.cy);
}

// Exit, Esc and the close box all end the run with 0 and save the placement and every option.
TEST(MainWindow, EveryWayOfClosingSavesPlacementAndSettings)
{
    const struct
    {
        const char* how;
        void (*close)(C_MainWindowRig& rig);
    } rows[] = {
        {"Exit", [](C_MainWindowRig& rig) { rig.Command(IDM_EXIT); }},
        {"Esc",
         [](C_MainWindowRig& rig)
         {
             SetForegroundWindow(rig.window);
             if (rig.Splash()) // the first Esc dismisses the splash
                 PressKey(VK_ESCAPE);
             PressKey(VK_ESCAPE);
         }},
        {"close box", [](C_MainWindowRig& rig) { PostMessageA(rig.window, WM_SYSCOMMAND, SC_CLOSE, 0); }}};
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        rig.Start();
        for (WORD command : {IDM_PORT8, IDM_SIMPLE_CUBIC_METER, IDM_BAUD_1200, IDM_GERMAN})
            rig.Command(command);
        SetWindowPos(rig.window, NULL, 20, 30, 800, 400, SWP_NOZORDER);
        row.close(rig);
        EXPECT_EQ(0, rig.Finish()) << row.how;
        const DWORD one = 1, german = 1031, height = (DWORD)-11;
        const std::string dword[] = {std::string((const char*)&one, 4), std::string((const char*)&german, 4),
                                     std::string((const char*)&height, 4)};
        EXPECT_EQ(std::string("1,20,30,820,430", 16), rig.Stored("Main")) << row.how;
        EXPECT_EQ(std::string("com8", 5), rig.Stored("Port"));
        EXPECT_EQ(std::string("Tahoma", 7), rig.Stored("FontName"));
        EXPECT_EQ(dword[2], rig.Stored("FontSize"));
        EXPECT_EQ(dword[0], rig.Stored("SimpleCubicMeter"));
        EXPECT_EQ(dword[0], rig.Stored("1200"));
        EXPECT_EQ(dword[1], rig.Stored("Language"));
    }
}

TEST(MainWindow, PortMarksFollowTheStoredPortExactly)
{
    const struct
    {
        const char* stored;
        UINT checked; // 0: none
    } rows[] = {{NULL, IDM_PORT2}, {"com3", IDM_PORT3}, {"COM3", 0}};
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        if (row.stored)
            rig.key.SetString("Port", row.stored);
        rig.Start();
        for (UINT item :
             {IDM_PORT1, IDM_PORT2, IDM_PORT3, IDM_PORT4, IDM_PORT5, IDM_PORT6, IDM_PORT7, IDM_PORT8})
            EXPECT_EQ(item == row.checked, rig.Checked(item))
                << (row.stored ? row.stored : "none") << " " << item;
    }
}

// Labels follow the string table's chain; the menu bar only an exact language (here the template's
// menu, which the system loads in the user's language, English).
TEST(MainWindow, TheStoredLanguageSetsLabelsMenuAndItsCheckMarks)
{
    const struct
    {
        DWORD language;
        const char *label, *box, *menu;
        int english, german;
    } rows[] = {{1031, "Rho [Dichte Norm]", "Probennahme", "Datei", 0, 1},
                {3079, "Rho [Dichte Norm]", "Probennahme", "File", 1, 0},
                {1036, "Rho [density standard]", "sampling", "File", 1, 0}};
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        rig.key.SetDword("Language", row.language);
        rig.Start();
        char menu[40] = "";
        GetMenuStringA(GetMenu(rig.window), 0, menu, sizeof(menu), MF_BYPOSITION);
        EXPECT_EQ(row.label, rig.Text(IDC_DENSITY_LABEL)) << row.language;
        EXPECT_EQ(row.box, rig.Text(IDC_SAMPLING_BOX)) << row.language;
        EXPECT_STREQ(row.menu, menu) << row.language;
        EXPECT_EQ(row.english, rig.Checked(IDM_ENGLISH)) << row.language;
        EXPECT_EQ(row.german, rig.Checked(IDM_GERMAN)) << row.language;
    }
}

TEST(MainWindow, AStoredPlacementThatDoesNotParseOpensAWindowOfTheMinimumSizeOnScreen)
{
    C_MainWindowRig rig;
    rig.key.SetString("Main", "left,top");
    RECT r = rig.Rect(rig.Start());
    EXPECT_GE(r.right - r.left, 736);
    EXPECT_GE(r.bottom - r.top, 344);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN) &&
                r.bottom <= GetSystemMetrics(SM_CYSCREEN));
}

namespace
{
int ChooseSemibold(LOGFONTA* font, HWND)
{
    font->lfWeight = 600;
    font->lfHeight = -13;
    lstrcpyA(font->lfFaceName, "Courier New");
    return 1;
}
} // namespace

// Each row: the stored font options, the commands, then what the controls received (all 25 get
// each font), the "Use Standard Font" mark and the options stored at exit.
TEST(MainWindow, DisplayFontWithAStandInFontDialog)
{
    const struct
    {
        DWORD useFont, bold;
        std::vector<WORD> commands;
        size_t sent;
        const char* last;
        int standard;
        DWORD storedUseFont, storedBold;
    } rows[] = {
        {0, 0, {}, 0, "", 1, 0, 0},
        {1, 1, {}, 25, "Tahoma -11 700", 0, 1, 1},
        {1, 0, {IDM_STANDARD_FONT}, 50, "null", 1, 0, 0},
        {1, 0, {IDM_STANDARD_FONT, IDM_STANDARD_FONT}, 75, "Tahoma -11 400", 0, 1, 0},
        {0, 0, {IDM_SELECT_FONT}, 25, "Courier New -13 700", 0, 1, 1},
    };
    C_MainWindow::InjectFontChooser(ChooseSemibold);
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        rig.key.SetDword("UseFont", row.useFont);
        rig.key.SetDword("FontBold", row.bold);
        rig.Start();
        for (WORD command : row.commands)
            rig.Command(command);
        EXPECT_EQ(row.sent, rig.fonts.size()) << row.last;
        EXPECT_EQ(row.last, rig.fonts.empty() ? "" : rig.fonts.back());
        EXPECT_EQ(row.standard, rig.Checked(IDM_STANDARD_FONT)) << row.last;
        rig.Command(IDM_EXIT);
        rig.Finish();
        EXPECT_EQ(std::string((const char*)&row.storedUseFont, 4), rig.Stored("UseFont")) << row.last;
        EXPECT_EQ(std::string((const char*)&row.storedBold, 4), rig.Stored("FontBold")) << row.last;
    }
    C_MainWindow::InjectFontChooser(NULL);
}

// The splash closes itself 2 s after the start, at once at a click below its picture or Esc, and
// goes with the main window when that closes first; the main window stays in every other case.
TEST(Splash, ClosesAfterTwoSecondsOrAtOnceOnInput)
{
    const struct
    {
        const char* input;
        DWORD earliest, latest; // milliseconds after the start
    } rows[] = {{"none", 1950, 2700}, {"click", 0, 1200}, {"Esc", 0, 1200}, {"Exit", 0, 1200}};
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        rig.Start();
        HWND splash = rig.Splash();
        ASSERT_TRUE(splash != NULL) << row.input;
        const std::string input = row.input;
        if (input == "click")
        {
            RECT picture = rig.Rect(GetDlgItem(splash, IDC_ABOUT_PICTURE)), box = rig.Rect(splash);
            SetCursorPos((box.left + box.right) / 2, picture.bottom + 4);
            PressKey(kLeftButton);
        }
        else if (input == "Esc")
        {
            SetForegroundWindow(rig.window); // as after the start: active behind the splash
            PressKey(VK_ESCAPE);
        }
        else if (input == "Exit")
        {
            rig.Command(IDM_EXIT);
            EXPECT_EQ(0, rig.Finish());
        }
        while (IsWindow(splash) && ElapsedSince(rig.started) < 3000)
            Sleep(5);
        EXPECT_FALSE(IsWindow(splash)) << row.input;
        EXPECT_GE(ElapsedSince(rig.started), row.earliest) << row.input;
        EXPECT_LE(ElapsedSince(rig.started), row.latest) << row.input;
        EXPECT_EQ(input != "Exit", IsWindowVisible(rig.window) != 0) << row.input;
    }
}

namespace
{
BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found)
{
    if (GetMenu(window) && IsWindowVisible(window))
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}
} // namespace

// The program itself: its main window from the static object, and its exit code after Exit.
TEST(Program, EndsWithExitCode0AfterExit)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    lstrcpyA(strrchr(path, '\\') + 1, "..\\Karpolin.exe");
    HKEY existing = NULL;
    bool hadSettings =
        RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &existing) == ERROR_SUCCESS;
    RegCloseKey(existing);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(path, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) << path;
    HWND window = NULL;
    for (DWORD start = GetTickCount(); !window && ElapsedSince(start) < 10000; Sleep(20))
        EnumThreadWindows(process.dwThreadId, FindMenuWindow, reinterpret_cast<LPARAM>(&window));
    EXPECT_TRUE(window != NULL);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    DWORD code = 99;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(0u, code);
    if (code == STILL_ACTIVE)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    if (!hadSettings) // this prefix's own settings, which the program wrote at exit
        SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}
