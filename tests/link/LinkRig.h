#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "data/Measurement.h"
#include "link/CardErase.h"
#include "link/Download.h"
#include "support/Pump.h"
#include "sys/Thread.h"
#include "ui/Dialog.h"
#include "ui/StringTable.h"

// The text of protocol error `id` as the user reads it.
inline std::string ProtocolErrorText(unsigned id)
{
    return "Protocol Error. [ID: " + std::to_string(id) + "]";
}

// A C_Window over a window the test made: the owner of the link's message boxes.
class C_BorrowedWindow : public C_Window
{
public:
    explicit C_BorrowedWindow(HWND window) { m_window = window; }
};

// What the main window gives the link: an owner window on this thread, the string table, the data,
// the two flags, the progress closer and the download's thread, plus a display refresh that counts.
class C_LinkRig
{
public:
    // `port` is stored in a 12-byte field like the Port setting.
    explicit C_LinkRig(const char* port, DWORD baudOption = 0);
    ~C_LinkRig();

    // Starts the download and waits for the worker, keeping this thread's messages flowing (the
    // worker's message boxes are owned by a window of this thread). 1 when the worker ended in time.
    int Download(DWORD milliseconds = 50000);
    // Starts the download only; Wait ends it.
    int StartOnly();
    int Wait(DWORD milliseconds);

    // Puts records and header bytes into the data as a previous download would have left them.
    void FillOldData();
    int HasOldData() const;

    std::vector<std::string> Records() const;
    std::string Header() const { return std::string(header.bytes, sizeof(header.bytes)); }

    C_CountingWindow window;
    C_BorrowedWindow owner;
    C_StringTable strings;
    char portField[12];
    MeasurementHeader header;
    RecordList records;
    std::atomic<LONG> dataValid;
    std::atomic<LONG> cancelRequested;
    C_ProgressCloser progress;
    C_Thread thread;
    DownloadJob download;
    EraseJob erase;

    std::atomic<int> refreshes;
    std::atomic<DWORD> refreshThread;
    std::atomic<LONG> dataValidAtRefresh;

private:
    static void Refresh(void* self);
};
