#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "link/SerialPort.h"

// The simulator's pty shows the speed; under Wine a line set to 7 data bits still reads 8 N 1 there.
TEST(SerialPort, SetsTheLineFieldsThatThePtyCannotShowAndNeverReadsPastThePortField)
{
    DCB dcb;
    memset(&dcb, 0xA5, sizeof(dcb));
    ApplyLineSettings(dcb, 0);
    EXPECT_EQ((std::vector<DWORD>{8, NOPARITY, ONESTOPBIT, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE}),
              (std::vector<DWORD>{dcb.ByteSize, dcb.Parity, dcb.StopBits, dcb.fDtrControl, dcb.fRtsControl}));
    char name[kPortNameSize];
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), "com45678901", 12)); // fills the field exactly
    EXPECT_STREQ("com45678901", name);
    EXPECT_EQ(0, CopyPortName(name, sizeof(name), "com456789012345", 12)); // no terminator within 12
    EXPECT_STREQ("", name);
}
