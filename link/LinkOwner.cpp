#include "link/LinkOwner.h"

#include "ui/Dialog.h"
#include "ui/StringTable.h"

static const char kProgramName[] = "Karpolin";

// The worker thread must not use the string table's own buffer: the user-interface thread fills
// that one for its controls meanwhile.
static const char* LookUp(const LinkOwner& owner, UINT stringId, char* buffer)
{
    if (!owner.strings)
        return "?";
    return owner.strings->LoadLocalizedString(stringId, buffer, owner.language);
}

int ShowLinkMessage(const LinkOwner& owner, UINT stringId, UINT type)
{
    char text[C_StringTable::kBufferSize];
    // Passed as an argument, not as the format: a text without placeholders may still hold a '%'.
    return ShowMessage(owner.window, type, kProgramName, "%s", LookUp(owner, stringId, text));
}

void ReportProtocolError(const LinkOwner& owner, UINT id)
{
    char format[C_StringTable::kBufferSize];
    ShowMessage(owner.window, MB_ICONEXCLAMATION, kProgramName, LookUp(owner, kStringProtocolError, format),
                id);
}
