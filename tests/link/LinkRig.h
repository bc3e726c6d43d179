#pragma once

#include <string.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "link/CardErase.h"
#include "link/Download.h"
#include "support/Pump.h"
#include "ui/Dialog.h"
#include "ui/StringTable.h"

// tools/instrument-sim.py on a pty linked to a COM name, playing a file of tests/link/scenarios.
// Wine starts it as a Linux process; a run folder that both reach carries its state and log.
class C_InstrumentSimulator
{
public:
    ~C_InstrumentSimulator() { Stop(); }
    // Waits until the COM name (com3 ... com8) exists; 0 with `problem` set when it does not. The
    // simulator ends by itself after `deadlineSeconds`.
    int Start(const char* port, const char* scenario, int deadlineSeconds = 40);
    // Waits until the simulator has ended and removed its link; reads its log.
    void Stop();

    std::string problem, log;
    std::vector<std::string> received; // per arrival, bytes in hex and the line: "65 9600 8 N 1"
    double markerTime = 0;             // when the end marker left, or 0

private:
    std::string m_dir;
    int m_running = 0;
};

// Unix time in seconds, the simulator's clock.
inline double UnixNow()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// What the main window gives the link, with the valid data of an earlier download (header 'H', two
// records 'R'), and a display refresh that notes when it ran.
class C_LinkRig
{
public:
    // `port` goes into a 12-byte field like the Port setting, terminated when shorter.
    explicit C_LinkRig(const char* port, DWORD baudOption = 0)
        : owner(window.Handle()), strings(GetModuleHandleA(NULL)), dataValid(1), cancelRequested(0)
    {
        memcpy(portField, port, std::min(strlen(port), sizeof(portField)));
        memset(header.bytes, 'H', sizeof(header.bytes));
        records.Init();
        for (int i = 0; i < 2; ++i)
        {
            records.Append(NewRecordNode());
            memset(records.Last()->record.bytes, 'R', sizeof(PointRecord));
        }
        CardJob card{
            {&owner, &strings, 1033}, portField, sizeof(portField), baudOption, &records, &dataValid};
        card.refreshDisplay = [](void* self) { static_cast<C_LinkRig*>(self)->refreshTime = UnixNow(); };
        card.context = this;
        download = DownloadJob{card, &header, &cancelRequested, &progress, NULL, kEndNotRun};
        erase = card;
    }
    ~C_LinkRig() { Wait(60000), ClearRecords(records); }

    int Start() { return StartDownload(thread, download); }
    // Dispatches this thread's messages meanwhile: the worker's boxes are owned here.
    int Wait(DWORD milliseconds) { return thread.Wait(milliseconds) || !thread.IsRunning(); }
    int Download(DWORD milliseconds) { return Start() && Wait(milliseconds); }

    std::vector<std::string> Records() const
    {
        std::vector<std::string> list;
        for (RecordNode* node = records.First(); node; node = node->next)
            list.push_back(std::string(node->record.bytes, sizeof(PointRecord)));
        return list;
    }
    std::string Header() const { return std::string(header.bytes, sizeof(header.bytes)); }

    C_CountingWindow window;
    C_Window owner;
    C_StringTable strings;
    char portField[12] = {};
    MeasurementHeader header;
    RecordList records;
    std::atomic<LONG> dataValid, cancelRequested;
    C_ProgressCloser progress;
    C_Thread thread;
    DownloadJob download;
    EraseJob erase;
    double refreshTime = 0; // UnixNow()
};
