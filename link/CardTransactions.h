#pragma once

#include <windows.h>

#include "link/LinkOwner.h"
#include "link/SerialPort.h"

// Command bytes and the card's answers on the wire.
enum CardByte
{
    kCommandSend = 'e',
    kCommandErase = 'r',
    kCardAcknowledge = 'o'
};

// Each transaction sets the read time-outs it needs, reports its own failure once with its protocol
// error number, and returns 1 for success and 0 for failure. The port stays open either way.

// A block that the user's Cancel cut short is no protocol error: ReadBlock then fails without a
// message (see C_Port::Cancelled).

// Writes `command` and reads one byte of echo within 300 ms into `echo`, without judging it.
int SendCommand(C_Port& port, const LinkOwner& owner, BYTE command, BYTE* echo);

// Reads up to `count` bytes into `buffer` in one read under the block time-outs. `received`, when
// given, gets the number that arrived (never more than `count`). Fewer than `count` bytes are a
// failure (6) unless `shortAllowed`.
int ReadBlock(C_Port& port, const LinkOwner& owner, void* buffer, DWORD count, int shortAllowed,
              DWORD* received);

// Waits up to 35 s for the card's 'o' after an erase.
int ReadAck(C_Port& port, const LinkOwner& owner);
