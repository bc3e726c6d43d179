// What tools/run.sh shows a newcomer who has no display: starts Karpolin, downloads the card through
// the Synchronization command and its progress dialog, pictures the main window, saves the data
// through File > Save and the real file dialog, and exits the program. Every wait is bounded.
// Usage: karpolin_demo <Karpolin.exe> <picture.bmp> <data.dat> <port 1-8> [reset]
// "reset" then also erases the card (Reset, Yes) and downloads once more.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Resource.h"

namespace
{

// The file dialog's name box: a combo box on Windows, an edit field in Wine's dialog.
const int kNameBoxes[] = {1148, 1152};
// The message box's text.
const int kBoxText = 0xFFFF;
const int kPortCommands[] = {IDM_PORT1, IDM_PORT2, IDM_PORT3, IDM_PORT4,
                             IDM_PORT5, IDM_PORT6, IDM_PORT7, IDM_PORT8};

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

struct Program
{
    PROCESS_INFORMATION process = {};
    HWND main = NULL;
};

struct Search
{
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    Search* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window))
        search->windows.push_back(window);
    return TRUE;
}

// The program's visible top-level windows other than the main window: splash, dialogs, message boxes.
std::vector<HWND> Others(const Program& program)
{
    Search search = {program.process.dwProcessId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    std::vector<HWND> others;
    for (HWND window : search.windows)
        if (window != program.main)
            others.push_back(window);
    return others;
}

std::string Text(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

HWND Child(HWND window, const int* ids, int count)
{
    for (int i = 0; i < count; ++i)
        if (HWND child = GetDlgItem(window, ids[i]))
            return child;
    return NULL;
}

template <class Ready>
int WaitUntil(double seconds, Ready ready)
{
    for (const double end = Now() + seconds; Now() < end; Sleep(50))
        if (ready())
            return 1;
    return ready();
}

// The first message box the program shows, or null. The splash's text has the same id; its buttons
// tell a message box apart.
HWND MessageBoxOf(const Program& program)
{
    for (HWND window : Others(program))
        if (GetDlgItem(window, kBoxText) && (GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES)))
            return window;
    return NULL;
}

void Press(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
}

// The main window usable again, nothing else shown. A message box on the way is printed and closed:
// the run must end by itself, and the box says what went wrong.
int WaitIdle(const Program& program, double seconds, int* boxes)
{
    return WaitUntil(seconds,
                     [&]()
                     {
                         if (HWND box = MessageBoxOf(program))
                         {
                             printf("  Karpolin says: \"%s\"\n", Text(GetDlgItem(box, kBoxText)).c_str());
                             ++*boxes;
                             Press(box, IDOK);
                             Sleep(300);
                         }
                         return IsWindowEnabled(program.main) && Others(program).empty();
                     });
}

void Command(const Program& program, int id)
{
    PostMessageA(program.main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

LRESULT Rows(const Program& program)
{
    return SendMessageA(GetDlgItem(program.main, IDC_POINT_LIST), LVM_GETITEMCOUNT, 0, 0);
}

// Synchronization; the rows shown afterwards, or -1 when the download did not end or showed a message.
LRESULT Download(const Program& program)
{
    const double begin = Now();
    Command(program, IDM_SYNCHRONIZATION);
    // The progress dialog makes the main window disabled while it runs.
    WaitUntil(5, [&]() { return !IsWindowEnabled(program.main); });
    int boxes = 0;
    if (!WaitIdle(program, 90, &boxes) || boxes)
    {
        printf("  the download did not end cleanly (after %.1f s)\n", Now() - begin);
        return -1;
    }
    const LRESULT rows = Rows(program);
    printf("  download: %d rows shown after %.1f s (the card's end is 6 s of silence)\n", (int)rows,
           Now() - begin);
    return rows;
}

int WriteBitmap(const char* name, HBITMAP bitmap, HDC dc, int width, int height)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * (DWORD)height);
    if (!GetDIBits(dc, bitmap, 0, (UINT)height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                   DIB_RGB_COLORS))
        return 0;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    FILE* out = fopen(name, "wb");
    if (!out)
        return 0;
    int ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
             fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    ok = fclose(out) == 0 && ok;
    return ok;
}

// The main window as the screen shows it.
int Picture(const Program& program, const char* name)
{
    RECT rect;
    GetWindowRect(program.main, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    int ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    ok = ok && WriteBitmap(name, bitmap, memory, width, height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

// File > Save with the name typed into the file dialog's name box.
int Save(const Program& program, const char* name)
{
    DeleteFileA(name);
    Command(program, IDM_SAVE);
    HWND dialog = NULL;
    WaitUntil(15,
              [&]()
              {
                  for (HWND window : Others(program))
                      if (Child(window, kNameBoxes, 2))
                          dialog = window;
                  return dialog != NULL;
              });
    if (!dialog)
    {
        printf("  the file dialog did not come\n");
        return 0;
    }
    SendMessageA(Child(dialog, kNameBoxes, 2), WM_SETTEXT, 0, (LPARAM)name);
    Press(dialog, IDOK);
    // The dialog goes before the program writes; the file appears whole (written beside, then renamed).
    auto written = [&]() { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; };
    WaitUntil(15, [&]() { return written() || MessageBoxOf(program); });
    int boxes = 0;
    return WaitIdle(program, 15, &boxes) && !boxes && written();
}

// Reset, answered Yes; 1 when it ended with one message, which is printed.
int Reset(const Program& program)
{
    Command(program, IDM_RESET);
    HWND question = NULL;
    if (!WaitUntil(10, [&]() { return (question = MessageBoxOf(program)) != NULL; }))
        return 0;
    printf("  Karpolin asks: \"%s\" - Yes\n", Text(GetDlgItem(question, kBoxText)).c_str());
    Press(question, IDYES);
    WaitUntil(5, [&]() { return !IsWindow(question); });
    // No progress dialog here: the window waits for the card's answer, then shows a message.
    HWND answer = NULL;
    if (!WaitUntil(40, [&]() { return (answer = MessageBoxOf(program)) != NULL; }))
        return 0;
    int boxes = 0;
    return WaitIdle(program, 10, &boxes) && boxes == 1;
}

// The port setting as the program keeps it; "" when none is stored.
std::string StoredPort()
{
    char port[64] = "";
    DWORD size = sizeof(port) - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick\\Karpolin", 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        if (RegQueryValueExA(key, "Port", NULL, NULL, reinterpret_cast<BYTE*>(port), &size) != ERROR_SUCCESS)
            port[0] = 0;
        RegCloseKey(key);
    }
    return port;
}

void StorePort(const std::string& port)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick\\Karpolin", 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Port", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                   (DWORD)port.size() + 1);
    RegCloseKey(key);
}

int Start(Program& program, const char* exe)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> commandLine(exe, exe + strlen(exe) + 1);
    if (!CreateProcessA(exe, commandLine.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &program.process))
    {
        printf("  cannot start %s (error %lu)\n", exe, GetLastError());
        return 0;
    }
    // The main window has a caption, the splash none; the splash goes after two seconds.
    WaitUntil(30,
              [&]()
              {
                  for (HWND window : Others(program))
                      if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
                          program.main = window;
                  return program.main != NULL;
              });
    int boxes = 0;
    return program.main && WaitIdle(program, 10, &boxes) && !boxes;
}

int End(Program& program)
{
    int ended = 0;
    if (program.main)
        Command(program, IDM_EXIT);
    if (program.process.hProcess)
    {
        ended = WaitForSingleObject(program.process.hProcess, 15000) == WAIT_OBJECT_0;
        if (!ended)
            TerminateProcess(program.process.hProcess, 3);
        CloseHandle(program.process.hThread);
        CloseHandle(program.process.hProcess);
    }
    return ended;
}

} // namespace

int main(int argc, char** argv)
{
    const int port = argc >= 5 ? atoi(argv[4]) : 0;
    if (argc < 5 || port < 1 || port > 8)
    {
        fprintf(stderr, "usage: karpolin_demo <Karpolin.exe> <picture.bmp> <data.dat> <port 1-8> [reset]\n");
        return 2;
    }
    const int reset = argc > 5 && strcmp(argv[5], "reset") == 0;
    setvbuf(stdout, NULL, _IONBF, 0);
    // The download goes to the given port; the user's own choice is put back afterwards.
    const std::string stored = StoredPort();
    char wanted[8];
    snprintf(wanted, sizeof(wanted), "com%d", port);
    Program program;
    int ok = Start(program, argv[1]);
    if (ok && !stored.empty() && stored != wanted)
        Command(program, kPortCommands[port - 1]);
    LRESULT rows = ok ? Download(program) : -1;
    ok = rows >= 0;
    if (ok)
    {
        Sleep(500); // the list paints after its last row
        ok = Picture(program, argv[2]);
        printf("  picture of the main window: %s\n", ok ? "written" : "FAILED");
    }
    if (ok)
    {
        ok = Save(program, argv[3]);
        printf("  File > Save: %s\n", ok ? "written" : "FAILED");
    }
    if (ok && reset)
    {
        ok = Reset(program);
        printf("  Reset: %s\n", ok ? "the card is empty" : "FAILED");
        rows = ok ? Download(program) : -1;
        ok = rows == 0;
        char unit[64] = "";
        GetDlgItemTextA(program.main, IDC_UNIT_NUMBER, unit, sizeof(unit));
        printf("  after the reset: %d rows, unit number \"%s\"\n", (int)rows, unit);
    }
    if (!End(program))
    {
        printf("  Karpolin did not end on Exit\n");
        ok = 0;
    }
    if (!stored.empty() && stored != wanted)
        StorePort(stored);
    return ok ? 0 : 1;
}
