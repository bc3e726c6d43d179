#include <gtest/gtest.h>
#include <string.h>

#include "LinkRig.h"
#include "support/MessageBoxes.h"

TEST(SerialPort, OnlyTheNamedFieldsOfTheDeviceControlBlockChange)
{
    DCB dcb, expected;
    memset(&dcb, 0xA5, sizeof(dcb));
    expected = dcb;
    ApplyLineSettings(dcb, 1);
    expected.BaudRate = CBR_1200;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    expected.fDtrControl = DTR_CONTROL_DISABLE; // not visible on a pty
    expected.fRtsControl = RTS_CONTROL_DISABLE;
    EXPECT_EQ(0, memcmp(&expected, &dcb, sizeof(dcb)));
}

TEST(SerialPort, OpensThePtyWhileWineLetsAnotherHandleHoldItAndSetsOnlyTheReadTimeouts)
{
    // The port is opened without sharing: Windows refuses a second open (message 1), Wine does not,
    // so under Wine a port that another program holds does not stop the download.
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start("com5", "idle.txt")) << simulator.problem;
    HANDLE other = CreateFileA("com5", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com5");
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    const int underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL;
    EXPECT_EQ(underWine, port.Open());
    EXPECT_EQ(underWine ? 0 : 1, answerer.WaitFor(1, underWine ? 500 : 5000));
    for (const SeenMessageBox& seen : answerer.Seen())
        EXPECT_EQ("Can't open Serial Port.", seen.text);
    CloseHandle(other);
    ASSERT_EQ(1, port.Open()); // alone now, also under Windows

    // The block set replaces the read time-outs only (the command set shows in the 300 ms for ID 5).
    COMMTIMEOUTS seen = {1, 2, 3, 4, 5}, block = {6000, 30000, 5000, 4, 5};
    ASSERT_TRUE(SetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(1, SetPortTimeouts(port.Handle(), kBlockTimeouts));
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(0, memcmp(&block, &seen, sizeof(seen)));
}

TEST(PortName, IsCopiedAsStoredAndNeverReadPastItsField)
{
    char name[kPortNameSize];
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), "COM3", 12));
    EXPECT_STREQ("COM3", name);
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), "com45678901", 12)); // fills the field exactly
    EXPECT_STREQ("com45678901", name);
    EXPECT_EQ(0, CopyPortName(name, sizeof(name), "com456789012345", 12)); // no terminator within 12
    EXPECT_STREQ("", name);
    char small[4];
    EXPECT_EQ(0, CopyPortName(small, sizeof(small), "com5", 12));
    EXPECT_STREQ("", small);
}
