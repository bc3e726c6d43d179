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
    // 0 with `problem` set unless the COM name (com3 ... com4096) came; it goes after `deadlineSeconds`.
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

// What else happens on the rig's fake line. Its end is the read that takes its last byte.
enum What
{
    kNothing,
    kFails,       // the read after the line's end fails
    kCancel,      // the user presses Cancel during the line's end
    kNoNode,      // no node can be had after the line's end
    kWriteFails,  // the command's write
    kAnswerNo,    // to the erase question
    kMissingPort, // the real serial port, on a COM name that does not exist
    kGerman       // the selected language is German, and the port is missing
};

// What the main window gives the link: `port` in a 12-byte field like the Port setting, the data of an
// earlier download (header 'H', records 'R'); after UseFakeLine a fake line, read as far as it goes.
class C_LinkRig : public C_Port
{
public:
    explicit C_LinkRig(const char* port, DWORD baudOption = 0)
        : owner(window.Handle()), strings(GetModuleHandleA(NULL)), dataValid(1), cancelRequested(0)
    {
        memcpy(portField, port, std::min(strlen(port), sizeof(portField)));
        memset(header.bytes, 'H', sizeof(header.bytes));
        records.Init();
        for (int i = 0; i < 2; ++i)
            records.Append(NewRecordNode()), memset(records.Last()->record.bytes, 'R', sizeof(PointRecord));
        CardJob card{
            {&owner, &strings, 1033}, portField, sizeof(portField), baudOption, &records, &dataValid};
        card.refreshDisplay = [](void* rig) { static_cast<C_LinkRig*>(rig)->Refreshed(); };
        card.context = this;
        download = DownloadJob{card, &header, &cancelRequested, &progress, NULL, kEndNotRun};
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

    void UseFakeLine(const std::string& bytes, What what)
    {
        line = bytes, m_what = what, download.port = this;
        download.newNode = []() { return s_nodesLeft-- != 0 ? NewRecordNode() : NULL; };
        s_nodesLeft = -1;
    }
    int Open() override { return events += "open ", m_reads = 0, 1; } // each session begins with its echo
    void Close() override { events += "close "; }
    int SetTimeouts(int mode) override { return m_mode = mode, 1; }
    int Write(const void* bytes, DWORD, DWORD* done) override
    {
        events += std::string(static_cast<const char*>(bytes), 1) + " ";
        return *done = m_what != kWriteFails;
    }
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        // The echo may take 300 ms; any other read 30 s a byte and 5 s more.
        COMMTIMEOUTS timeouts = {};
        ApplyReadTimeouts(timeouts, m_mode);
        const DWORD wait = timeouts.ReadTotalTimeoutMultiplier * count + timeouts.ReadTotalTimeoutConstant;
        wrongWaits += wait != (m_reads++ ? 30000 * count + 5000 : 300);
        *received = std::min<DWORD>(count, line.size());
        if (!*received)
            return m_what != kFails;
        memcpy(buffer, line.data(), *received);
        line.erase(0, *received);
        cancelRequested |= line.empty() && m_what == kCancel;
        s_nodesLeft = line.empty() && m_what == kNoNode ? 0 : s_nodesLeft;
        return 1;
    }

    C_CountingWindow window;
    C_Window owner;
    C_StringTable strings;
    char portField[12] = {};
    MeasurementHeader header;
    RecordList records;
    std::atomic<LONG> dataValid, cancelRequested;
    C_ProgressCloser progress;
    C_Thread thread;
    DownloadJob download;     // also the erase's job
    double refreshTime = 0;   // UnixNow()
    std::string line, events; // events: open, the command written, refresh with DataValid, close
    int wrongWaits = 0;

private:
    void Refreshed()
    {
        refreshTime = UnixNow();
        events += "refresh" + std::to_string(dataValid.load()) + " ";
    }
    static inline int s_nodesLeft = -1;
    What m_what = kNothing;
    int m_mode = -1, m_reads = 0;
};
