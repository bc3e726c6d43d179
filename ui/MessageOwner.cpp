#include "ui/MessageOwner.h"

#include <stdarg.h>

#include "ui/Dialog.h"
#include "ui/StringTable.h"
#include "ui/Version.h"

int ShowStringMessage(const MessageOwner& owner, UINT type, UINT stringId, ...)
{
    // Never the string table's own buffer: a worker may show a box while the user-interface thread
    // looks up texts for its controls.
    char format[C_StringTable::kBufferSize];
    const char* text =
        owner.strings ? owner.strings->LoadLocalizedString(stringId, format, owner.language) : "?";
    va_list args;
    va_start(args, stringId);
    const int result = ShowMessageV(owner.window, type, kProgramName, text, args);
    va_end(args);
    return result;
}
