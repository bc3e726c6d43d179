// Measures the program against the minimal dialog program: start-up until the main window shows,
// memory after start, Open + show of a 10,000-record file, and the Hardware menu's opening with 40 ports. Run
// by tools/bench-program.sh; not part of the tests. Usage: bench_program <Karpolin.exe> <minimal.exe>
// <scratch folder>
#include <stdio.h>
#include <string.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "Resource.h"
#include "app/MainWindow.h"
#include "data/DataFile.h"
#include "data/ValueDisplay.h"
#include "ui/Dialog.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

namespace
{

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

struct WindowSearch
{
    DWORD process;
    HWND found;
};

// The main window is the process's visible window with a caption; the splash has none.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM data)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) &&
        (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct StartFigures
{
    double seconds = -1; // until the main window is visible
    double pagefileMb = -1;
    DWORD exitCode = (DWORD)-2;
};

StartFigures StartAndClose(const char* exe)
{
    StartFigures figures;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(exe, exe + strlen(exe) + 1);
    const double begin = Now();
    if (!CreateProcessA(exe, commandLine.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return figures;
    WindowSearch search = {process.dwProcessId, NULL};
    while (!search.found && Now() - begin < 30)
    {
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    if (search.found)
    {
        figures.seconds = Now() - begin;
        // After the splash has gone: what the program holds while the user works.
        Sleep(2500);
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof(memory);
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory)))
            figures.pagefileMb = (double)memory.PagefileUsage / (1024.0 * 1024.0);
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 3);
    GetExitCodeProcess(process.hProcess, &figures.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return figures;
}

// The median of five runs after one that warms the prefix's caches.
StartFigures MedianStart(const char* exe)
{
    StartAndClose(exe);
    std::vector<StartFigures> runs;
    for (int i = 0; i < 5; ++i)
        runs.push_back(StartAndClose(exe));
    std::sort(runs.begin(), runs.end(),
              [](const StartFigures& a, const StartFigures& b) { return a.seconds < b.seconds; });
    return runs[2];
}

void FillRecord(char* record, int point)
{
    char text[64];
    snprintf(text, sizeof(text), "\r %02d;05;12:%02d:%02d;12345;021;00123;04567;0123;0987", point % 100,
             point / 60 % 60, point % 60);
    memcpy(record, text, 48);
}

int WriteSample(const char* name, int records)
{
    std::vector<char> bytes(83, ' ');
    memcpy(bytes.data(), "\r 4711   12.03.2024 10:15:00", 28);
    for (int i = 0; i < records; ++i)
    {
        char record[49];
        FillRecord(record, i + 1);
        bytes.insert(bytes.end(), record, record + 48);
    }
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

struct Shown
{
    C_Dialog* dialog;
    C_ListView* list;
    C_StringTable* strings;
    MeasurementHeader* header;
    RecordList* records;
    std::atomic<LONG>* dataValid;
};

void Refresh(void* context)
{
    Shown& shown = *static_cast<Shown*>(context);
    DisplayContext display;
    display.window = shown.dialog;
    display.list = shown.list;
    display.strings = shown.strings;
    display.language = 1033;
    display.header = shown.header;
    display.records = shown.records;
    display.dataValid = shown.dataValid->load();
    RefreshDisplay(display);
}

// Open (after the file dialog) and show in the program's own main window template.
double OpenAndShow(const char* name, size_t* rows)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    C_Dialog dialog;
    if (!dialog.Create(instance, IDD_MAIN, 0, NULL))
        return -1;
    ShowWindow(dialog.Handle(), SW_SHOW);
    C_ListView list;
    list.Attach(dialog.GetItem(IDC_POINT_LIST), instance);
    C_StringTable strings(instance);
    MeasurementHeader header = {};
    RecordList records;
    records.Init();
    std::atomic<LONG> dataValid(0);
    Shown shown = {&dialog, &list, &strings, &header, &records, &dataValid};
    C_File file;
    DataFileJob job;
    job.owner.window = &dialog;
    job.owner.strings = &strings;
    job.owner.language = 1033;
    job.file = &file;
    job.header = &header;
    job.records = &records;
    job.dataValid = &dataValid;
    job.refreshDisplay = Refresh;
    job.context = &shown;

    const double begin = Now();
    job.refreshDisplay = NULL;
    ReadDataFile(job, name);
    const double read = Now() - begin;
    Refresh(&shown);
    UpdateWindow(dialog.Handle());
    const double seconds = Now() - begin;
    printf("  of which reading %.3f s, showing %.3f s\n", read, seconds - read);
    *rows = (size_t)SendMessageA(dialog.GetItem(IDC_POINT_LIST), LVM_GETITEMCOUNT, 0, 0);
    ClearRecords(records);
    list.Release();
    dialog.Close(0);
    return dataValid.load() == 1 ? seconds : -1;
}

// Vista's, which the program's Windows XP headers leave out.
extern "C" LONG WINAPI RegSetKeyValueA(HKEY key, LPCSTR subKey, LPCSTR name, DWORD type, LPCVOID data,
                                       DWORD size);

const char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// With COM1 to COM40 in the system's list: the median time of five openings of the Hardware menu
// (WM_INITMENUPOPUP, as the menu loop sends it) in the program's main window, made here because Wine
// keeps a menu's items in the process that owns it, after one opening that warms up; and the items the
// menu then holds (8 + separator + 32 when the list holds nothing else above com8).
double OpenPortMenu(int* items)
{
    char name[64], port[16];
    for (unsigned number = 1; number <= 40; number++)
        snprintf(name, sizeof(name), "\\Device\\KarpolinBench%u", number),
            snprintf(port, sizeof(port), "COM%u", number),
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSerialCommKey, name, REG_SZ, port, (DWORD)strlen(port) + 1);
    std::vector<double> runs;
    {
        C_MainWindow window;
        HWND shown = window.Create(GetModuleHandleA(NULL), IDD_MAIN, 0, NULL);
        HMENU menu = shown ? GetSubMenu(GetMenu(shown), 2) : NULL;
        for (int i = 0; menu && i < 6; i++)
        {
            const double begin = Now();
            SendMessageA(shown, WM_INITMENUPOPUP, (WPARAM)menu, 2);
            if (i)
                runs.push_back(Now() - begin);
        }
        *items = menu ? GetMenuItemCount(menu) : -1;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
    {
        for (unsigned number = 1; number <= 40; number++)
            snprintf(name, sizeof(name), "\\Device\\KarpolinBench%u", number), RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
    if (runs.size() != 5)
        return -1;
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        printf("usage: bench_program <Karpolin.exe> <minimal.exe> <scratch folder>\n");
        return 2;
    }
    const StartFigures program = MedianStart(argv[1]);
    const StartFigures minimal = MedianStart(argv[2]);
    printf("start-up to the main window shown: Karpolin %.3f s, minimal %.3f s, ratio %.2f (target <= 1.5)\n",
           program.seconds, minimal.seconds, program.seconds / minimal.seconds);
    printf("memory after start (PagefileUsage): Karpolin %.2f MB, minimal %.2f MB, above it %.2f MB "
           "(target <= 2 MB)\n",
           program.pagefileMb, minimal.pagefileMb, program.pagefileMb - minimal.pagefileMb);
    printf("exit code after WM_CLOSE: Karpolin %ld, minimal %ld\n", (long)program.exitCode,
           (long)minimal.exitCode);

    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%s\\bench-10000.dat", argv[3]);
    if (!WriteSample(name, 10000))
    {
        printf("cannot write %s\n", name);
        return 1;
    }
    size_t rows = 0;
    const double open = OpenAndShow(name, &rows);
    printf("Open + show of 10,000 records: %.3f s, %u rows (target <= 1 s)\n", open, (unsigned)rows);
    DeleteFileA(name);
    int items = 0;
    const double menu = OpenPortMenu(&items);
    printf("Hardware menu opening with 40 ports present: %.1f ms, %d items (target < 50 ms)\n", menu * 1000,
           items);
    return program.seconds > 0 && minimal.seconds > 0 && open > 0 && rows == 10000 && menu > 0 ? 0 : 1;
}
