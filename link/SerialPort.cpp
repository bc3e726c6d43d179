#include "link/SerialPort.h"

#include <stdio.h>
#include <string.h>

#include "sys/Library.h"
#include "ui/Dialog.h"

DWORD BaudRateForOption(DWORD baudOption)
{
    return baudOption == 1 ? CBR_1200 : CBR_9600;
}

void ApplyLineSettings(DCB& dcb, DWORD baudOption)
{
    dcb.BaudRate = BaudRateForOption(baudOption);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
}

void ApplyReadTimeouts(COMMTIMEOUTS& timeouts, int mode)
{
    if (mode == kBlockTimeouts)
    {
        timeouts.ReadIntervalTimeout = 6000;
        timeouts.ReadTotalTimeoutMultiplier = 30000;
        timeouts.ReadTotalTimeoutConstant = 5000;
    }
    else
    {
        timeouts.ReadIntervalTimeout = 300;
        timeouts.ReadTotalTimeoutMultiplier = 300;
        timeouts.ReadTotalTimeoutConstant = 0;
    }
}

int CopyPortName(char* target, size_t targetSize, const char* field, size_t fieldSize)
{
    if (!target || targetSize == 0)
        return 0;
    target[0] = 0;
    if (!field)
        return 0;
    size_t length = 0;
    while (length < fieldSize && field[length])
        ++length;
    if (length == fieldSize || length >= targetSize)
        return 0;
    memcpy(target, field, length + 1);
    return 1;
}

int DeviceNameForPort(char* target, size_t targetSize, const char* name)
{
    if (!target || targetSize == 0)
        return 0;
    int written = 0;
    if (unsigned number = PortNumberOfText(name, 1))
        written = _snprintf(target, targetSize, "\\\\.\\COM%u", number);
    else
        written = _snprintf(target, targetSize, "%s", name ? name : "");
    if (written < 0 || (size_t)written >= targetSize)
        return target[0] = 0, 0;
    return 1;
}

C_SerialPort::C_SerialPort(const LinkOwner& owner, const char* name, size_t nameFieldSize, DWORD baudOption,
                           HANDLE cancel)
    : m_owner(owner), m_baudOption(baudOption), m_handle(NULL), m_cancel(cancel), m_mode(kCommandTimeouts)
{
    CopyPortName(m_name, sizeof(m_name), name, nameFieldSize);
}

C_SerialPort::~C_SerialPort()
{
    Close();
}

int C_SerialPort::Open()
{
    Close();
    if (!m_name[0])
    {
        // A name that overran its field is no port of ours: the user hears what a missing one gives.
        ShowStringMessage(m_owner, MB_ICONEXCLAMATION, kStringCantOpenPort);
        return 0;
    }
    char device[kPortNameSize];
    DeviceNameForPort(device, sizeof(device), m_name);
    // No sharing: while another program holds the port, the card is not ours to talk to. Overlapped,
    // so that Cancel can end a read that would otherwise wait for a silent card for 24 minutes.
    HANDLE port = !m_ioDone.Create(TRUE, FALSE) ? INVALID_HANDLE_VALUE
                                                : CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (port == INVALID_HANDLE_VALUE)
    {
        ShowStringMessage(m_owner, MB_ICONEXCLAMATION, kStringCantOpenPort);
        return 0;
    }
    m_handle = port;
    DCB dcb;
    memset(&dcb, 0, sizeof(dcb));
    dcb.DCBlength = sizeof(dcb);
    GetCommState(m_handle, &dcb);
    ApplyLineSettings(dcb, m_baudOption);
    if (!SetCommState(m_handle, &dcb))
    {
        ShowStringMessage(m_owner, MB_ICONEXCLAMATION, kStringCantSetCommState);
        Close();
        return 0;
    }
    SetTimeouts(kCommandTimeouts);
    SetupComm(m_handle, kPortQueueSize, kPortQueueSize);
    return 1;
}

void C_SerialPort::Close()
{
    if (m_handle)
        CloseHandle(m_handle);
    m_handle = NULL;
}

int C_SerialPort::SetTimeouts(int mode)
{
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof(timeouts));
    GetCommTimeouts(m_handle, &timeouts);
    ApplyReadTimeouts(timeouts, mode);
    m_mode = mode;
    return SetCommTimeouts(m_handle, &timeouts) ? 1 : 0;
}

int C_SerialPort::Write(const void* bytes, DWORD count, DWORD* written)
{
    OVERLAPPED io;
    memset(&io, 0, sizeof(io));
    io.hEvent = m_ioDone.Handle();
    DWORD done = 0;
    const int ok = Finish(io, WriteFile(m_handle, bytes, count, &done, &io), &done, 0);
    if (written)
        *written = done;
    return ok;
}

int C_SerialPort::Read(void* buffer, DWORD count, DWORD* received)
{
    OVERLAPPED io;
    memset(&io, 0, sizeof(io));
    io.hEvent = m_ioDone.Handle();
    DWORD done = 0;
    const int ok = Finish(io, ReadFile(m_handle, buffer, count, &done, &io), &done, 1);
    if (received)
        *received = done;
    return ok;
}

int C_SerialPort::Cancelled()
{
    return m_cancel && WaitForSingleObject(m_cancel, 0) == WAIT_OBJECT_0;
}

// CancelIo (the reads this thread began on the port) came with Windows 98 and NT 4, so it is looked
// up; Windows 95 ends a pending serial read through PurgeComm.
static void EndRead(HANDLE port)
{
    typedef BOOL(WINAPI * CancelIoProc)(HANDLE);
    C_Library kernel;
    const CancelIoProc cancelIo = kernel.Load("kernel32.dll") ? kernel.Get<CancelIoProc>("CancelIo") : NULL;
    if (!cancelIo || !cancelIo(port))
        PurgeComm(port, PURGE_RXABORT);
}

int C_SerialPort::Finish(OVERLAPPED& io, BOOL started, DWORD* done, int reading)
{
    if (!started && GetLastError() == ERROR_IO_PENDING)
    {
        const HANDLE events[2] = {io.hEvent, m_cancel};
        const DWORD count = reading && m_mode == kBlockTimeouts && m_cancel ? 2 : 1;
        // Whatever else woke the wait, the transfer is ended and awaited: its buffer and `io` must not
        // go while the driver may still write to them.
        if (WaitForMultipleObjects(count, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            EndRead(m_handle);
        started = GetOverlappedResult(m_handle, &io, done, TRUE);
    }
    if (started)
        return 1;
    // Windows completes a read that timed out with success; Wine fails it with ERROR_TIMEOUT. A read
    // ended by Cancel counts as one that timed out, with what had arrived. A write that fails failed.
    const DWORD error = GetLastError();
    return reading && (error == ERROR_TIMEOUT || (error == ERROR_OPERATION_ABORTED && Cancelled()));
}
