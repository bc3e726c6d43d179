#include "link/Download.h"

#include "data/RecordReader.h"
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
    C_SerialPort serial(job.owner, job.portName, job.portNameFieldSize, job.baudOption,
                        job.progress ? job.progress->CancelEvent() : NULL);
    job.ending = RunDownload(job, job.port ? *job.port : serial);
    if (job.progress)
        job.progress->RequestClose();
    return 0;
}

namespace
{

// The card's line under the block time-outs; ReadBlock reports a failed read (protocol error 4).
class C_CardLine : public C_ByteSource
{
public:
    C_CardLine(C_Port& port, const LinkOwner& owner) : m_port(port), m_owner(owner) {}
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        return ReadBlock(m_port, m_owner, buffer, count, 1, received);
    }

private:
    C_Port& m_port;
    const LinkOwner& m_owner;
};

} // namespace

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
        return port.Cancelled() ? kEndCancelled : kEndExchangeFailed;

    C_CardLine line(port, owner);
    C_RecordReader reader(line, *job.records, job.newNode, job.cancelRequested);
    reader.TakeHeader(*job.header);
    if (job.cancelRequested->load() == 1)
        return kEndCancelled;
    switch (reader.ReadRecords())
    {
    case kReadEndMarker:
        return kEndMarker;
    case kReadFailed:
        return kEndReadFailure;
    case kReadCancelledInScan:
        return kEndCancelInScan;
    case kReadCancelled:
        return kEndCancelled;
    case kReadNoMemory:
        return kEndNoMemory;
    default: // silence, or a record cut short by it
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
