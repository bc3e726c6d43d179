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

// Every COM port by the device form; other names as the user stored them, unless too long.
TEST(SerialPort, OpensComPortsByTheDeviceForm)
{
    const struct
    {
        const char *name, *device;
        size_t room;
    } rows[] = {{"com3", "\\\\.\\COM3", 260},
                {"COM12", "\\\\.\\COM12", 260},
                {"com4096", "\\\\.\\COM4096", 260},
                {"com4097", "com4097", 260},
                {"nul", "nul", 260},
                {"com12", "", 9}};
    for (const auto& row : rows)
    {
        char device[260] = "x";
        EXPECT_EQ(row.device[0] != 0, DeviceNameForPort(device, row.room, row.name)) << row.name;
        EXPECT_STREQ(row.device, device);
    }
}
