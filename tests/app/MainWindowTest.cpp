#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MainWindowRig.h"
#include "support/Csv.h"
#include "app/PortMenu.h"

// A stored placement that does not parse opens the window at the least size, on screen; a resize
// then changes the list's size by exactly as much, and not its corner.
TEST(MainWindow, SizingStopsAtTheMinimumAndGrowsTheList)
{
    C_MainWindowRig rig;
    rig.key.SetString("Main", "left,top");
    HWND window = rig.Start(), list = GetDlgItem(window, IDC_POINT_LIST);
    RECT w, l, l0;
    GetWindowRect(window, &w), GetWindowRect(list, &l0);
    EXPECT_TRUE(l0.right < w.right && l0.bottom < w.bottom) << "the list fits the restored window";
    const struct
    {
        SIZE asked, expected; // 0 x 0: as opened
    } rows[] = {
        {{0, 0}, {736, 344}}, {{100, 100}, {736, 344}}, {{776, 374}, {776, 374}}, {{700, 400}, {736, 400}}};
    for (const auto& row : rows)
    {
        if (row.asked.cx)
            SetWindowPos(window, NULL, 0, 0, row.asked.cx, row.asked.cy, SWP_NOMOVE | SWP_NOZORDER);
        const SIZE& size = row.expected;
        RECT opened = {0, 0, size.cx, size.cy},
             grown = {l0.left, l0.top, l0.right + size.cx - 736, l0.bottom + size.cy - 344};
        GetWindowRect(window, &w), GetWindowRect(list, &l);
        EXPECT_TRUE(EqualRect(&opened, &w) && EqualRect(&grown, &l))
            << size.cx << "x" << size.cy << ": " << w.right << "x" << w.bottom << ", list "
            << l.right - l.left << "x" << l.bottom - l.top;
    }
}

// Exit, the close box and Esc, with the splash still up, end with 0 and save placement and options.
TEST(MainWindow, EveryWayOfClosingSavesEverything)
{
    for (UINT message : {WM_COMMAND, WM_SYSCOMMAND, WM_KEYDOWN})
    {
        C_MainWindowRig rig;
        rig.Start();
        for (WORD command : {IDM_PORT8, IDM_SIMPLE_CUBIC_METER, IDM_BAUD_1200, IDM_GERMAN})
            SendMessageA(rig.window, WM_COMMAND, command, 0);
        SetWindowPos(rig.window, NULL, 20, 30, 800, 400, SWP_NOZORDER);
        if (message != WM_KEYDOWN)
            PostMessageA(rig.window, message, message == WM_COMMAND ? IDM_EXIT : SC_CLOSE, 0);
        else // the first Esc is the splash's while it is up
            for (int i = 0; i < 2 && rig.Finish(100) == -2; i++)
                SetForegroundWindow(rig.window), PressKey(VK_ESCAPE);
        EXPECT_EQ(0, rig.Finish()) << message;
        EXPECT_EQ("1,20,30,820,430 com8 Tahoma -11 0 0 0 1 1 1031 ",
                  rig.Stored({"Main", "Port", "FontName", "FontSize", "UseFont", "FontBold", "FontItalic",
                              "SimpleCubicMeter", "1200", "Language"}));
    }
}

// A stored setting and `times` x `command`, then: marks, a label, the first menu, WM_SETFONTs (25 a font)
// and the last font. Ports compare exactly; labels follow the string table's chain, the menu an exact
// language only (else the template's, in the user's English). The stand-in font dialog picks weight 600.
TEST(MainWindow, StoredSettingsAndOptionCommandsSetMarksTextsAndFonts)
{
    const struct
    {
        const char *name, *text;
        DWORD number;
        WORD command;
        int times;
        const char* expected;
    } rows[] = {
        {"Port", "COM3", 0, 0, 0, "00000000 100 10|Rho [density standard]|File|0 "},
        {"Language", NULL, 1031, 0, 0, "01000000 100 01|Rho [Dichte Norm]|Datei|0 "},
        {"Language", NULL, 3079, 0, 0, "01000000 100 10|Rho [Dichte Norm]|File|0 "},
        {"Language", NULL, 1036, 0, 0, "01000000 100 10|Rho [density standard]|File|0 "},
        {"UseFont", NULL, 1, IDM_STANDARD_FONT, 1, "01000000 100 10|Rho [density standard]|File|50 null"},
        {"UseFont", NULL, 1, IDM_STANDARD_FONT, 2,
         "01000000 000 10|Rho [density standard]|File|75 Tahoma -11 400"},
        {"UseFont", NULL, 0, IDM_SELECT_FONT, 1,
         "01000000 000 10|Rho [density standard]|File|25 Tahoma -13 700"}};
    C_MainWindow::InjectFontChooser([](LOGFONTA* f, HWND)
                                    { return f->lfWeight = 600, f->lfHeight = -13, 1; });
    for (const auto& row : rows)
    {
        C_MainWindowRig rig;
        row.text ? rig.key.SetString(row.name, row.text) : rig.key.SetDword(row.name, row.number);
        char label[40], menu[40];
        GetDlgItemTextA(rig.Start(), IDC_DENSITY_LABEL, label, sizeof(label));
        for (int i = 0; i < row.times; i++)
            SendMessageA(rig.window, WM_COMMAND, row.command, 0);
        GetMenuStringA(GetMenu(rig.window), 0, menu, sizeof(menu), MF_BYPOSITION);
        EXPECT_EQ(row.expected, rig.Marks() + "|" + label + "|" + menu + "|" +
                                    std::to_string(rig.fonts.size()) + " " +
                                    (rig.fonts.empty() ? "" : rig.fonts.back()));
    }
    C_MainWindow::InjectFontChooser(NULL);
}

// The port menu below its eight items: "-" for the separator, "*" before a checked item; only the
// ports of `numbers` (the test prefix lists ports of its own).
std::string PortItems(HMENU menu, std::initializer_list<unsigned> numbers)
{
    std::string items;
    for (int i = 8; i < GetMenuItemCount(menu); i++)
    {
        char text[100] = "-";
        UINT state = GetMenuState(menu, i, MF_BYPOSITION), id = GetMenuItemID(menu, i);
        GetMenuStringA(menu, i, text + (state & MF_SEPARATOR ? 1 : 0), 99, MF_BYPOSITION);
        for (unsigned number : numbers)
            items += state & MF_SEPARATOR || id != IDM_PORT_EXTRA_BASE + number
                         ? ""
                         : (state & MF_CHECKED ? "*" : "") + std::string(text) + "|";
    }
    return (GetMenuState(menu, 8, MF_BYPOSITION) & MF_SEPARATOR ? "-|" : "") + items;
}

// Ports above com8 from the real registry at each opening, a stored one that is absent at the end;
// a chosen one checked alone and stored; the texts in the language of the moment; other menus alone.
TEST(MainWindow, PortMenuListsThePortsPresentAtEachOpening)
{
    const char key[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "\\Device\\KarpolinTest40", REG_SZ, "COM40", 6);
    C_MainWindowRig rig;
    rig.key.SetString("Port", "com33");
    rig.Start();
    const struct
    {
        WORD command; // before the opening
        const char* expected;
    } steps[] = {{0, "00000000 -|Serial port com40|*Serial port com33 (not present)|"},
                 {IDM_PORT_EXTRA_BASE + 40, "00000000 -|*Serial port com40|"},
                 {IDM_PORT3, "00100000 -|Serial port com9|Serial port com40|"}, // com9 plugged in meanwhile
                 {IDM_GERMAN, "00100000 -|Serieller Port com9|Serieller Port com40|"},
                 {IDM_PORT_EXTRA_BASE + 9, "00000000 -|*Serieller Port com9|Serieller Port com40|"}};
    for (const auto& step : steps)
    {
        if (step.command == IDM_PORT3)
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "\\Device\\KarpolinTest9", REG_SZ, "COM9", 5);
        SendMessageA(rig.window, WM_COMMAND, step.command, 0);
        HMENU menu = GetSubMenu(GetMenu(rig.window), 2), file = GetSubMenu(GetMenu(rig.window), 0);
        SendMessageA(rig.window, WM_INITMENUPOPUP, (WPARAM)menu, 2);
        SendMessageA(rig.window, WM_INITMENUPOPUP, (WPARAM)file, 0);
        EXPECT_EQ(step.expected + std::string("6"), rig.Marks().substr(0, 9) + PortItems(menu, {9, 33, 40}) +
                                                        std::to_string(GetMenuItemCount(file)));
    }
    PostMessageA(rig.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(rig.Finish() == 0 && rig.Stored({"Port"}) == "com9 ");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, "\\Device\\KarpolinTest40");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, "\\Device\\KarpolinTest9");
}

// A device's own name follows the port, its '&' shown as written; no separator without an item.
TEST(PortMenu, NamesDevicesAndAddsNothingWithoutPorts)
{
    static SerialPortList ports = {2, {{9, "USB Serial Port"}, {12, "R&D Box"}}}, none = {0, {}};
    C_StringTable strings(GetModuleHandleA(NULL));
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < 9; i++)
        AppendMenuA(menu, MF_STRING, 100 + i, "fixed");
    FillPortMenu(menu, ports, "com2", strings, 1033);
    std::string items = PortItems(menu, {9, 12});
    FillPortMenu(menu, none, "com3", strings, 1033);
    EXPECT_EQ("-|Serial port com9 (USB Serial Port)|Serial port com12 (R&&D Box)|8",
              items + std::to_string(GetMenuItemCount(menu)));
    DestroyMenu(menu);
}

// The splash goes by itself 2 s after the start, or at once at a click below its picture or at Esc
// (the main window is active behind it, as after the start); the main window stays.
TEST(Splash, ClosesAfterTwoSecondsOrAtOnceOnInput)
{
    for (const char* input : {"none", "click", "Esc"})
    {
        C_MainWindowRig rig;
        rig.Start();
        RECT picture;
        GetWindowRect(GetDlgItem(rig.splash, IDC_ABOUT_PICTURE), &picture);
        if (input == std::string("click"))
            SetCursorPos(picture.left + 20, picture.bottom + 4), PressKey(kLeftButton);
        else if (input == std::string("Esc"))
            SetForegroundWindow(rig.window), PressKey(VK_ESCAPE);
        while (IsWindow(rig.splash) && ElapsedSince(rig.started) < 3000)
            Sleep(5);
        const DWORD elapsed = ElapsedSince(rig.started), timer = input == std::string("none");
        EXPECT_TRUE(rig.splash && !IsWindow(rig.splash)) << input;
        EXPECT_TRUE(timer ? elapsed >= 1950 && elapsed <= 2700 : elapsed < 1200) << input << " " << elapsed;
        EXPECT_TRUE(IsWindowVisible(rig.window)) << input;
    }
}

// The program itself: the main window of its static object, and exit code 0 after Exit.
TEST(Program, EndsWithExitCode0AfterExit)
{
    char path[MAX_PATH];
    lstrcpyA(strrchr((GetModuleFileNameA(NULL, path, sizeof(path)), path), '\\') + 1, "..\\Karpolin.exe");
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    GetStartupInfoA(&startup);
    ASSERT_TRUE(CreateProcessA(path, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) << path;
    WaitForInputIdle(process.hProcess, 10000);
    HWND window = FindWindowA("#32770", NULL); // the splash in front of the main window, or that
    PostMessageA(GetWindow(window, GW_OWNER) ? GetWindow(window, GW_OWNER) : window, WM_COMMAND, IDM_EXIT, 0);
    DWORD code = 99;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code) && code == 0) << code;
    TerminateProcess(process.hProcess, 1), CloseHandle(process.hThread), CloseHandle(process.hProcess);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); // what it saved in the test prefix
}

// Open and Export through the system's file dialogs, answered with the name offered: Export is greyed
// until data are shown, and its file holds what the window shows.
TEST(MainWindow, ExportThroughTheMenuWritesWhatTheWindowShows_MenuOpenedByMessage)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "karpolin-export-test", home = fs::current_path();
    fs::remove_all(folder), fs::create_directory(folder), fs::current_path(folder);
    std::string data = std::string(83, '0').replace(57, 5, "1.293"), greyed;
    for (const char* point : {"01", "--", "03"})
        data += "\r " + std::string(point) + ";23;12:34:56;01234;567 89012;34.56;8901;2345";
    std::ofstream("data.dat", std::ios::binary) << data;
    C_MainWindowRig rig;
    HMENU menu = GetMenu(rig.Start());
    for (WORD command : {IDM_OPEN, IDM_EXPORT})
    {
        SendMessageA(rig.window, WM_INITMENUPOPUP, (WPARAM)GetSubMenu(menu, 0), 0);
        greyed += GetMenuState(menu, IDM_EXPORT, MF_BYCOMMAND) & MF_GRAYED ? "greyed " : "enabled ";
        PostMessageA(rig.window, WM_COMMAND, command, 0);
        HWND dialog = NULL;
        for (int i = 0; i < 500 && !(dialog = FindWindowA("#32770", "Please select filename")); i++)
            Sleep(10);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 500 && IsWindow(dialog); i++)
            Sleep(10);
        SendMessageA(rig.window, WM_NULL, 0, 0); // answered once the command has ended
    }
    const std::string csv(
        (std::istreambuf_iterator<char>(std::ifstream("data.csv", std::ios::binary).rdbuf())), {});
    fs::current_path(home), fs::remove_all(folder);
    EXPECT_EQ("greyed enabled ", greyed);
    EXPECT_EQ(WindowLines(rig.window, '.'), ReadCsv(csv, ',')) << csv;
}
