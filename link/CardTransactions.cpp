#include "link/CardTransactions.h"

int SendCommand(C_Port& port, const LinkOwner& owner, BYTE command, BYTE* echo)
{
    port.SetTimeouts(kCommandTimeouts);
    DWORD written = 0;
    if (!port.Write(&command, 1, &written))
    {
        ReportProtocolError(owner, kErrorCommandWrite);
        return 0;
    }
    BYTE answer = 0;
    DWORD received = 0;
    if (!port.Read(&answer, 1, &received))
    {
        ReportProtocolError(owner, kErrorEchoRead);
        return 0;
    }
    if (received == 0)
    {
        ReportProtocolError(owner, kErrorNoEcho);
        return 0;
    }
    if (echo)
        *echo = answer;
    return 1;
}

int ReadBlock(C_Port& port, const LinkOwner& owner, void* buffer, DWORD count, int shortAllowed,
              DWORD* received)
{
    port.SetTimeouts(kBlockTimeouts);
    DWORD arrived = 0;
    if (!port.Read(buffer, count, &arrived))
    {
        ReportProtocolError(owner, kErrorBlockRead);
        return 0;
    }
    // A driver that claims more than was asked for is not believed.
    if (arrived > count)
        arrived = count;
    if (received)
        *received = arrived;
    if (arrived == count || shortAllowed)
        return 1;
    if (port.Cancelled())
        return 0;
    ReportProtocolError(owner, kErrorShortBlock);
    return 0;
}

int ReadAck(C_Port& port, const LinkOwner& owner)
{
    port.SetTimeouts(kBlockTimeouts);
    BYTE answer = 0;
    DWORD received = 0;
    if (!port.Read(&answer, 1, &received))
    {
        ReportProtocolError(owner, kErrorAckRead);
        return 0;
    }
    if (received == 1 && answer == kCardAcknowledge)
        return 1;
    ReportProtocolError(owner, kErrorBadAck);
    return 0;
}
