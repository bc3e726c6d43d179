#pragma once

#include <windows.h>

#include "ui/MessageOwner.h"

// Whom the instrument link reports to, like every other command.
typedef MessageOwner LinkOwner;

// String ids of the link's messages.
enum LinkString
{
    kStringCantOpenPort = 1,
    kStringCantSetCommState = 2,
    kStringProtocolError = 3,
    kStringEraseQuestion = 4,
    kStringCardErased = 5
};

// The numbers that the protocol error message shows.
enum ProtocolError
{
    kErrorCommandWrite = 1,
    kErrorEchoRead = 2,
    kErrorDownloadEcho = 3,
    kErrorBlockRead = 4,
    kErrorNoEcho = 5,
    kErrorShortBlock = 6,
    kErrorAckRead = 7,
    kErrorBadAck = 8,
    kErrorEraseEcho = 9
};

// "Protocol Error. [ID: %u]" with `id`; returns when the user has closed the box.
void ReportProtocolError(const LinkOwner& owner, UINT id);
