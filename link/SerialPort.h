#pragma once

#include <stddef.h>
#include <windows.h>

#include "link/LinkOwner.h"
#include "sys/Event.h"
#include "sys/SerialPorts.h"

// The line as the card operations see it. C_SerialPort is the real one; tests put a fake in its
// place where the real line would take minutes. Results: 1 success, 0 failure.
class C_Port
{
public:
    virtual ~C_Port() {}
    // Opens and configures the line; reports its own failures to the user.
    virtual int Open() = 0;
    virtual void Close() = 0;
    // kCommandTimeouts or kBlockTimeouts; the platform's success flag.
    virtual int SetTimeouts(int mode) = 0;
    // The platform's success flag; a read that times out succeeds with fewer bytes.
    virtual int Write(const void* bytes, DWORD count, DWORD* written) = 0;
    virtual int Read(void* buffer, DWORD count, DWORD* received) = 0;
    // 1 once the user's Cancel has reached the line: a read under the block time-outs then ends at
    // once, like one that timed out, with what had arrived, and a short block is no fault of the card's.
    virtual int Cancelled() { return 0; }
};

enum
{
    // A one-byte read gives up after 300 ms.
    kCommandTimeouts = 0,
    // N bytes within 30000 * N + 5000 ms, ending early 6000 ms after the last byte that came.
    kBlockTimeouts = 1,
    kPortNameSize = 260,
    kPortQueueSize = 2000
};

// 1200 baud for the option value 1, 9600 for every other.
DWORD BaudRateForOption(DWORD baudOption);

// 8 data bits, no parity, one stop bit, DTR and RTS held off, at the option's speed; every other
// field stays as the driver reported it.
void ApplyLineSettings(DCB& dcb, DWORD baudOption);

// Replaces the three read time-outs by the set of `mode` (kBlockTimeouts, anything else the command
// set); the write time-outs stay as they were.
void ApplyReadTimeouts(COMMTIMEOUTS& timeouts, int mode);

// Copies the port name out of its settings field, which holds `fieldSize` bytes. 0, with an empty
// result, when the field has no terminator or the name does not fit: such a name is never opened.
int CopyPortName(char* target, size_t targetSize, const char* field, size_t fieldSize);

// The name the port is opened by: "\\.\COMn" for a name "comN" in any case, which every port number
// accepts (the plain name reaches COM1 to COM9 only); any other name unchanged. 0, with an empty
// result, when it does not fit.
int DeviceNameForPort(char* target, size_t targetSize, const char* name);

// The serial port named by the Port setting, opened for one card operation. Owns its handle.
class C_SerialPort : public C_Port
{
public:
    // `name` points at the Port setting's field of `nameFieldSize` bytes; the name is copied now.
    // `cancel`, a manual-reset event or null, ends the read in progress when it is set.
    C_SerialPort(const LinkOwner& owner, const char* name, size_t nameFieldSize, DWORD baudOption,
                 HANDLE cancel = NULL);
    ~C_SerialPort() override;

    // Opens the port exclusively and configures it; 0 after showing message 1 or 2.
    int Open() override;
    void Close() override;
    int SetTimeouts(int mode) override;
    int Write(const void* bytes, DWORD count, DWORD* written) override;
    int Read(void* buffer, DWORD count, DWORD* received) override;
    int Cancelled() override;

    HANDLE Handle() const { return m_handle; }

private:
    C_SerialPort(const C_SerialPort&) = delete;
    C_SerialPort& operator=(const C_SerialPort&) = delete;
    // Waits for the transfer begun on `io` (for a block read also for `m_cancel`) and for its end.
    int Finish(OVERLAPPED& io, BOOL started, DWORD* done, int reading);

    LinkOwner m_owner;
    char m_name[kPortNameSize];
    DWORD m_baudOption;
    HANDLE m_handle;
    HANDLE m_cancel;
    int m_mode; // of the read time-outs: the command set's 300 ms are not worth waking
    C_Event m_ioDone;
};
