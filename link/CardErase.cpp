#include "link/CardErase.h"

#include "link/CardTransactions.h"
#include "ui/Dialog.h"

static void SetWaitCursor(const EraseJob& job, int on)
{
    if (job.owner.window)
        job.owner.window->SetWaitCursor(on);
}

// The exchange on an open port; every failure has been reported when it returns 0.
static int Erase(const EraseJob& job, C_Port& port)
{
    BYTE echo = 0;
    if (!SendCommand(port, job.owner, kCommandErase, &echo))
        return 0;
    if (echo != kCommandErase)
    {
        ReportProtocolError(job.owner, kErrorEraseEcho);
        return 0;
    }
    return ReadAck(port, job.owner);
}

int EraseCard(EraseJob& job)
{
    if (ShowStringMessage(job.owner, MB_YESNO | MB_ICONQUESTION, kStringEraseQuestion) != IDYES)
        return 0;
    C_SerialPort serial(job.owner, job.portName, job.portNameFieldSize, job.baudOption);
    C_Port& port = job.port ? *job.port : serial;
    if (!port.Open())
        return 0;

    SetWaitCursor(job, 1);
    const int erased = Erase(job, port);
    if (erased)
    {
        // The data no longer match the card.
        job.dataValid->store(0);
        ClearRecords(*job.records);
        if (job.refreshDisplay)
            job.refreshDisplay(job.context);
        ShowStringMessage(job.owner, MB_ICONINFORMATION, kStringCardErased);
    }
    SetWaitCursor(job, 0);
    port.Close();
    return erased;
}
