#pragma once

#include <stddef.h>
#include <windows.h>

#include <atomic>

#include "data/Measurement.h"
#include "link/CardJob.h"
#include "link/ProgressCloser.h"
#include "link/SerialPort.h"
#include "sys/Thread.h"

// How a download ended; the first three are the valid endings that set DataValid.
enum DownloadEnding
{
    kEndMarker,         // the card's 'o', also when silence follows one that ended a damaged block
    kEndReadFailure,    // a read failed in the record loop or the scan (protocol error 4)
    kEndCancelInScan,   // Cancel seen while skipping a malformed record
    kEndCancelled,      // Cancel seen after the header, a record or a found carriage return
    kEndIncomplete,     // no data, a partial record, a single byte other than 'o', or silence in a scan
    kEndExchangeFailed, // command, echo or header failed (reported)
    kEndNoMemory,       // no node for the next record
    kEndNoPort,         // the port did not open (reported); the data were not touched
    kEndNotRun
};

int IsValidEnding(DownloadEnding ending);

// Everything one download works on. The main window owns all of it and leaves it alone while the
// worker runs (its progress dialog is modal meanwhile).
struct DownloadJob : CardJob
{
    MeasurementHeader* header = nullptr;
    std::atomic<LONG>* cancelRequested = nullptr;
    // Ends the progress dialog once the worker is done, and its Cancel ends the worker's read in
    // progress; may be null. The display is refreshed on the worker before the port closes.
    C_ProgressCloser* progress = nullptr;
    // Seam for tests: the allocation of a node.
    RecordNode* (*newNode)() = nullptr;

    // Written by the worker before it asks the dialog to close.
    DownloadEnding ending = kEndNotRun;
};

// The command's part before the progress dialog: clears CancelRequested and starts the worker on
// `thread`. 0 when no worker could start (one still runs, or the thread failed): the caller must
// not show the dialog then. A worker that still runs keeps its CancelRequested.
int StartDownload(C_Thread& thread, DownloadJob& job);

// The worker thread's routine; `data` is the DownloadJob. Ends by asking the progress dialog to
// close, whatever happened. Returns 0.
DWORD DownloadWorker(void* data, DWORD value);

// The download itself on `port`, without the close request; the worker's body.
DownloadEnding RunDownload(DownloadJob& job, C_Port& port);
