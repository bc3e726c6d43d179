#pragma once

#include <windows.h>

class C_Window;
class C_StringTable;

// Whom the instrument link reports to: the main window owns every message box, also those the
// download's worker shows; the texts come from the program's string table in the selected language.
struct LinkOwner
{
    C_Window* window = nullptr;
    C_StringTable* strings = nullptr;
    WORD language = 0;
};

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

// Shows string `stringId` of the selected language with the program's name as caption, owned by the
// main window; returns what the message box returned. Safe on any thread: the text is looked up into
// a buffer of the caller's, never into the string table's shared one.
int ShowLinkMessage(const LinkOwner& owner, UINT stringId, UINT type);

// "Protocol Error. [ID: %u]" with `id`; returns when the user has closed the box.
void ReportProtocolError(const LinkOwner& owner, UINT id);
