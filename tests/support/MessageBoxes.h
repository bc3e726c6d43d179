#pragma once

#include "support/TestDialog.h"

// The link tests' names for the message recorder of support/TestDialog.h, until they use it directly.
typedef C_MessageRecorder::Shown SeenMessageBox;

class C_MessageBoxAnswerer : public C_MessageRecorder
{
public:
    C_MessageBoxAnswerer(const char*, int button) : C_MessageRecorder(button) {}
    // Waits, dispatching this thread's messages, until `count` were shown or `milliseconds` passed.
    int WaitFor(int count, DWORD milliseconds)
    {
        for (DWORD start = GetTickCount(); (int)Seen().size() < count && ElapsedSince(start) < milliseconds;)
            PumpMessages(10);
        return (int)Seen().size();
    }
};
