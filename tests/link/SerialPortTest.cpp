#include <gtest/gtest.h>
#include <string.h>

#include "LinkRig.h"

// The simulator's pty shows the speed; under Wine a line set to 7 data bits still reads 8 N 1 there.
TEST(SerialPort, SetsTheLineFieldsThatThePtyCannotShow)
{
    DCB dcb;
    memset(&dcb, 0xA5, sizeof(dcb));
    ApplyLineSettings(dcb, 0);
    EXPECT_EQ((std::vector<DWORD>{8, NOPARITY, ONESTOPBIT, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE}),
              (std::vector<DWORD>{dcb.ByteSize, dcb.Parity, dcb.StopBits, dcb.fDtrControl, dcb.fRtsControl}));
}

TEST(SerialPort, TheBlockTimeoutsReplaceOnlyTheReadTimeoutsAndCloseReleasesThePty)
{
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start("com5", "idle.txt")) << simulator.problem;
    C_LinkRig rig("com5");
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    ASSERT_EQ(1, port.Open());
    COMMTIMEOUTS seen = {1, 2, 3, 4, 5}, block = {6000, 30000, 5000, 4, 5};
    ASSERT_TRUE(SetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(1, port.SetTimeouts(kBlockTimeouts));
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(0, memcmp(&block, &seen, sizeof(seen)));
    const HANDLE handle = port.Handle();
    DWORD flags = 0;
    port.Close();
    EXPECT_FALSE(GetHandleInformation(handle, &flags)); // closed, not leaked
}

TEST(PortName, IsCopiedAsStoredAndNeverReadPastItsField)
{
    char name[kPortNameSize], small[4];
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), "com45678901", 12)); // fills the field exactly
    EXPECT_STREQ("com45678901", name);
    EXPECT_EQ(0, CopyPortName(name, sizeof(name), "com456789012345", 12)); // no terminator within 12
    EXPECT_STREQ("", name);
    EXPECT_EQ(0, CopyPortName(small, sizeof(small), "com5", 12));
    EXPECT_STREQ("", small);
}
