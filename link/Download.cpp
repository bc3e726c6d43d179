#include "link/Download.h"

#include "link/CardTransactions.h"

int IsValidEnding(DownloadEnding ending)
{
    return ending == kEndMarker || ending == kEndReadFailure || ending == kEndCancelInScan;
}

int StartDownload(C_Thread& thread, DownloadJob& job)
{
    if (thread.IsRunning())
        return 0;
    job.cancelRequested->store(0);
    job.ending = kEndNotRun;
    if (job.progress)
        job.progress->Reset();
    if (!thread.Start(DownloadWorker, &job, 0))
    {
        // A dialog shown all the same must not wait for a worker that never ran.
        if (job.progress)
            job.progress->RequestClose();
        return 0;
    }
    return 1;
}

DWORD DownloadWorker(void* data, DWORD)
{
    DownloadJob& job = *static_cast<DownloadJob*>(data);
    C_SerialPort serial(job.owner, job.portName, job.portNameFieldSize, job.baudOption);
    job.ending = RunDownload(job, job.port ? *job.port : serial);
    if (job.progress)
        job.progress->RequestClose();
    return 0;
}

static LONG Cancel(const DownloadJob& job)
{
    return job.cancelRequested->load();
}

// Reads what follows the echo: the header, then records until one of the endings.
static DownloadEnding ReadCard(DownloadJob& job, C_Port& port)
{
    const LinkOwner& owner = job.owner;
    BYTE echo = 0;
    if (!SendCommand(port, owner, kCommandSend, &echo))
        return kEndExchangeFailed;
    if (echo != kCommandSend)
    {
        ReportProtocolError(owner, kErrorDownloadEcho);
        return kEndExchangeFailed;
    }
    if (!ReadBlock(port, owner, job.header->bytes, MeasurementHeader::kSize, 0, NULL))
        return kEndExchangeFailed;
    if (Cancel(job) == 1)
        return kEndCancelled;

    RecordNode* (*newNode)() = job.newNode ? job.newNode : NewRecordNode;
    // Set when the scan has already taken the carriage return that starts the next record.
    int resync = 0;
    for (;;)
    {
        RecordNode* node = newNode();
        if (!node)
            return kEndNoMemory;
        char* bytes = node->record.bytes;
        const DWORD wanted = resync ? PointRecord::kSize - 1 : PointRecord::kSize;
        DWORD received = 0;
        if (!ReadBlock(port, owner, resync ? bytes + 1 : bytes, wanted, 1, &received))
        {
            DeleteRecordNode(node);
            return kEndReadFailure;
        }
        if (resync)
        {
            bytes[0] = kCardRecordStart;
            resync = 0;
        }

        if (received == wanted)
        {
            if (IsWellFormed(node->record))
            {
                job.records->Append(node);
                if (Cancel(job) == 1)
                    return kEndCancelled;
                continue;
            }
            DeleteRecordNode(node);
            if (Cancel(job) != 0)
                return kEndCancelInScan;
            // Skip to the carriage return that begins the next record on the card.
            for (;;)
            {
                BYTE c = 0;
                DWORD got = 0;
                if (!ReadBlock(port, owner, &c, 1, 1, &got))
                    return kEndReadFailure;
                if (got == 1 && c == kCardRecordStart)
                {
                    resync = 1;
                    if (Cancel(job) == 1)
                        return kEndCancelled;
                    break;
                }
                if (Cancel(job) != 0)
                    return kEndCancelInScan;
            }
            continue;
        }

        // The card sends 'o' where the next record would begin, then falls silent. After a
        // resynchronisation byte 0 holds the carriage return, so a lone byte there is no marker.
        const char first = bytes[0];
        DeleteRecordNode(node);
        if (received == 1 && first == kCardEndMarker)
            return kEndMarker;
        return kEndIncomplete;
    }
}

DownloadEnding RunDownload(DownloadJob& job, C_Port& port)
{
    if (!port.Open())
        return kEndNoPort;
    job.dataValid->store(0);
    ClearRecords(*job.records);

    const DownloadEnding ending = ReadCard(job, port);
    if (IsValidEnding(ending))
        job.dataValid->store(1);

    if (job.refreshDisplay)
        job.refreshDisplay(job.context);
    port.Close();
    return ending;
}
