// Downloads a card of 99 records from the instrument simulator at 9600 and at 1200 baud and
// compares the wall time with what the line allows, and the worker's CPU time with the wall time;
// then the same through the program's window, its command and its progress dialog.
// Run by tools/bench-download.sh; not part of the tests.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "LinkRig.h"
#include "MainWindowRig.h"

namespace
{

double Seconds(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return (double)value.QuadPart / 1e7;
}

struct CpuProbe
{
    double seconds;
};

// Runs on the worker just before the port closes: everything the worker did is in it by then.
void MeasureWorker(void* context)
{
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        static_cast<CpuProbe*>(context)->seconds = Seconds(kernel) + Seconds(user);
}

int Bench(DWORD baudOption, int baud)
{
    C_InstrumentSimulator simulator;
    if (!simulator.Start("com5", "card-99.txt", 150))
    {
        printf("simulator: %s\n", simulator.problem.c_str());
        return 0;
    }
    C_LinkRig rig("com5", baudOption);
    CpuProbe cpu = {0};
    rig.download.refreshDisplay = MeasureWorker;
    rig.download.context = &cpu;

    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    const int ended = rig.Download(200000);
    QueryPerformanceCounter(&end);
    simulator.Stop();

    const double wall = (double)(end.QuadPart - begin.QuadPart) / (double)frequency.QuadPart;
    const double limit = (83.0 + 48.0 * 99.0 + 1.0) * 10.0 / baud + 6.0;
    const size_t records = rig.Records().size();
    const int ok = ended && rig.dataValid.load() == 1 && records == 99 && rig.download.ending == kEndMarker;
    printf("%5d baud: %s, %u records, wall %.3f s, limit %.3f s, ratio %.4f (target <= 1.02), "
           "worker CPU %.3f s = %.2f %% (target <= 2 %%)\n",
           baud, ok ? "ok" : "FAILED", (unsigned)records, wall, limit, wall / limit, cpu.seconds,
           100.0 * cpu.seconds / wall);
    return ok;
}

double Now()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

BOOL CALLBACK FindProgress(HWND window, LPARAM found)
{
    return !GetDlgItem(window, IDC_PROGRESS_CANCEL) || !(*reinterpret_cast<HWND*>(found) = window);
}

// From the command to the 99 rows in the list; meanwhile a message sent to the progress dialog every
// 20 ms, and the longest it took to be answered.
int BenchProgram(DWORD baudOption, int baud)
{
    C_InstrumentSimulator simulator;
    if (!simulator.Start("com5", "card-99.txt", 150))
    {
        printf("simulator: %s\n", simulator.problem.c_str());
        return 0;
    }
    C_MainWindowRig rig;
    rig.key.SetString("Port", "com5");
    HWND window = rig.Start(), progress = NULL, list = GetDlgItem(window, IDC_POINT_LIST);
    if (baudOption)
        SendMessageA(window, WM_COMMAND, IDM_BAUD_1200, 0);
    const double begin = Now();
    PostMessageA(window, WM_COMMAND, IDM_SYNCHRONIZATION, 0);
    double slowest = 0, shown = 0, opened = 0, first = 0, shownUnix = 0, beginUnix = UnixNow();
    int samples = 0;
    while (!shown && Now() - begin < 200)
    {
        if (!progress)
            EnumThreadWindows(GetWindowThreadProcessId(window, NULL), FindProgress, (LPARAM)&progress),
                opened = progress ? Now() : 0;
        if (!first && ListView_GetItemCount(list) > 0)
            first = Now();
        const double sent = Now();
        DWORD_PTR result = 0;
        if (progress && IsWindow(progress) &&
            SendMessageTimeoutA(progress, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
            slowest = std::max(slowest, Now() - sent), samples++;
        if (ListView_GetItemCount(list) == 99)
            shown = Now(), shownUnix = UnixNow();
        Sleep(20);
    }
    simulator.Stop();
    const double wall = shown - begin;
    const double limit = (83.0 + 48.0 * 99.0 + 1.0) * 10.0 / baud + 6.0;
    printf(
        "%5d baud, program: %s, wall %.3f s to the rows shown, limit %.3f s, ratio %.4f (target <= 1.02), "
        "dialog answered within %.1f ms at worst of %d samples (target <= 50 ms); dialog up after %.0f ms, "
        "first row to all rows %.0f ms; end marker %.3f s after the command, rows %.3f s after it\n",
        baud, shown ? "ok" : "FAILED", wall, limit, wall / limit, 1000 * slowest, samples,
        1000 * (opened - begin), 1000 * (shown - first), simulator.markerTime - beginUnix,
        shownUnix - simulator.markerTime);
    return shown != 0;
}

} // namespace

// "program": only the download through the program's window, at 9600 baud.
int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "program") == 0)
        return BenchProgram(0, 9600) ? 0 : 1;
    int ok = Bench(0, 9600);
    ok = Bench(1, 1200) && ok;
    ok = BenchProgram(0, 9600) && ok;
    ok = BenchProgram(1, 1200) && ok;
    return ok ? 0 : 1;
}
