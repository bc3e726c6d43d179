#pragma once

#include <windows.h>

class C_Window;
class C_StringTable;

// Whom a command reports to: the main window owns every message box, also those a worker shows;
// the texts come from the program's string table in the selected language.
struct MessageOwner
{
    C_Window* window = nullptr;
    C_StringTable* strings = nullptr;
    WORD language = 0;
};

// String `stringId` of the selected language, used as a printf format for the arguments, in a message
// box with the program's name as caption, owned by the main window. Returns what the box returned.
// Safe on any thread: the text is looked up into a buffer of the caller's.
int ShowStringMessage(const MessageOwner& owner, UINT type, UINT stringId, ...);
