#include "link/LinkOwner.h"

void ReportProtocolError(const LinkOwner& owner, UINT id)
{
    ShowStringMessage(owner, MB_ICONEXCLAMATION, kStringProtocolError, id);
}
