#include <gtest/gtest.h>
#include <string.h>

#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "link/CardTransactions.h"
#include "link/SerialPort.h"
#include "support/MessageBoxes.h"
#include "support/StringTableData.h"

namespace
{

// Opens the port through the product's path and sends 'e' so that the simulator logs the settings.
C_InstrumentSimulator::Received SettingsSeen(DWORD baudOption)
{
    C_InstrumentSimulator simulator;
    EXPECT_TRUE(simulator.Start("com5", "settings.txt")) << simulator.Problem();
    C_LinkRig rig("com5", baudOption);
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), baudOption);
    EXPECT_EQ(1, port.Open());
    BYTE echo = 0;
    EXPECT_EQ(1, SendCommand(port, rig.download.owner, 'e', &echo));
    EXPECT_EQ('e', echo);
    port.Close();
    simulator.Stop();
    EXPECT_EQ(1u, simulator.Receptions().size()) << simulator.Log();
    if (simulator.Receptions().empty())
        return C_InstrumentSimulator::Received();
    EXPECT_EQ("e", simulator.ReceivedBytes());
    return simulator.Receptions()[0];
}

} // namespace

TEST(LineSettings, OptionZeroGives9600Baud8N1)
{
    // The simulator starts its line at 4800 7E2, so each of these shows that the program set it.
    C_InstrumentSimulator::Received seen = SettingsSeen(0);
    EXPECT_EQ(9600, seen.baud);
    EXPECT_EQ(8, seen.dataBits);
    EXPECT_EQ('N', seen.parity);
    EXPECT_EQ(1, seen.stopBits);
}

TEST(LineSettings, OptionOneGives1200Baud8N1)
{
    C_InstrumentSimulator::Received seen = SettingsSeen(1);
    EXPECT_EQ(1200, seen.baud);
    EXPECT_EQ(8, seen.dataBits);
    EXPECT_EQ('N', seen.parity);
    EXPECT_EQ(1, seen.stopBits);
}

TEST(LineSettings, OptionTwoGives9600Baud)
{
    EXPECT_EQ(9600, SettingsSeen(2).baud);
}

TEST(LineSettings, ChangesOnlyTheNamedFieldsOfTheDeviceControlBlock)
{
    DCB dcb;
    memset(&dcb, 0xA5, sizeof(dcb));
    DCB before = dcb;
    ApplyLineSettings(dcb, 1);
    EXPECT_EQ((DWORD)CBR_1200, dcb.BaudRate);
    EXPECT_EQ(8, dcb.ByteSize);
    EXPECT_EQ(NOPARITY, dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, dcb.StopBits);
    EXPECT_EQ((DWORD)DTR_CONTROL_DISABLE, dcb.fDtrControl);
    EXPECT_EQ((DWORD)RTS_CONTROL_DISABLE, dcb.fRtsControl);
    // Every other field as the driver reported it.
    DCB expected = before;
    expected.BaudRate = dcb.BaudRate;
    expected.ByteSize = dcb.ByteSize;
    expected.Parity = dcb.Parity;
    expected.StopBits = dcb.StopBits;
    expected.fDtrControl = dcb.fDtrControl;
    expected.fRtsControl = dcb.fRtsControl;
    EXPECT_EQ(0, memcmp(&expected, &dcb, sizeof(dcb)));
    EXPECT_EQ((DWORD)CBR_9600, BaudRateForOption(0));
    EXPECT_EQ((DWORD)CBR_9600, BaudRateForOption(0xFFFFFFFF));
}

TEST(ReadTimeouts, TheTwoSetsReachThePortAndLeaveTheWriteTimeouts)
{
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start("com5", "idle.txt")) << simulator.Problem();
    C_LinkRig rig("com5");
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    ASSERT_EQ(1, port.Open());
    COMMTIMEOUTS chosen = {1, 2, 3, 4, 5};
    ASSERT_TRUE(SetCommTimeouts(port.Handle(), &chosen));

    COMMTIMEOUTS seen;
    EXPECT_EQ(1, SetPortTimeouts(port.Handle(), kBlockTimeouts));
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(6000u, seen.ReadIntervalTimeout);
    EXPECT_EQ(30000u, seen.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(5000u, seen.ReadTotalTimeoutConstant);
    EXPECT_EQ(4u, seen.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(5u, seen.WriteTotalTimeoutConstant);

    EXPECT_EQ(1, SetPortTimeouts(port.Handle(), 7)); // any other mode is the command set
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &seen));
    EXPECT_EQ(300u, seen.ReadIntervalTimeout);
    EXPECT_EQ(300u, seen.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(0u, seen.ReadTotalTimeoutConstant);
    EXPECT_EQ(4u, seen.WriteTotalTimeoutMultiplier);
}

TEST(OpenPort, AMissingPortShowsMessage1)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com7");
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    EXPECT_EQ(0, port.Open());
    ASSERT_EQ(1, answerer.WaitFor(1, 5000));
    SeenMessageBox seen = answerer.Seen()[0];
    EXPECT_EQ("Can't open Serial Port.", seen.text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, seen.type);
    EXPECT_EQ(rig.window.Handle(), seen.owner);
}

TEST(OpenPort, MessageIsInTheSelectedLanguageNotTheUsers)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com7");
    rig.download.owner.language = 1031;
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    EXPECT_EQ(0, port.Open());
    ASSERT_EQ(1, answerer.WaitFor(1, 5000));
    EXPECT_EQ(Cp1252Of(kStringTable[0].german), answerer.Seen()[0].text);
}

TEST(OpenPort, WineDoesNotEnforceTheExclusiveOpen)
{
    // The port is opened without sharing. Windows refuses a second open (message 1); Wine lets it
    // succeed, so under Wine a port held by another program does not stop the download.
    C_InstrumentSimulator simulator;
    ASSERT_TRUE(simulator.Start("com5", "idle.txt")) << simulator.Problem();
    HANDLE other = CreateFileA("com5", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);

    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com5");
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    const int opened = port.Open();
    const int underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL;
    if (underWine)
    {
        EXPECT_EQ(1, opened);
        EXPECT_EQ(0, answerer.WaitFor(1, 500));
    }
    else
    {
        EXPECT_EQ(0, opened);
        ASSERT_EQ(1, answerer.WaitFor(1, 5000));
        EXPECT_EQ("Can't open Serial Port.", answerer.Seen()[0].text);
    }
    port.Close();
    CloseHandle(other);
}

TEST(PortName, IsCopiedOnlyWhenItEndsInsideItsField)
{
    char name[kPortNameSize];
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), "COM3", 12));
    EXPECT_STREQ("COM3", name); // passed on exactly as stored
    const char full[12] = {'c', 'o', 'm', '1', '2', '3', '4', '5', '6', '7', '8', 0};
    EXPECT_EQ(1, CopyPortName(name, sizeof(name), full, sizeof(full)));
    EXPECT_STREQ("com12345678", name);

    // No terminator inside the field: nothing beyond it is read, and the name is empty.
    char overrun[16];
    memset(overrun, 'x', sizeof(overrun));
    overrun[15] = 0;
    EXPECT_EQ(0, CopyPortName(name, sizeof(name), overrun, 12));
    EXPECT_STREQ("", name);
    char small[4];
    EXPECT_EQ(0, CopyPortName(small, sizeof(small), "com5", 12));
    EXPECT_STREQ("", small);
    EXPECT_EQ(0, CopyPortName(name, sizeof(name), NULL, 12));
}

TEST(PortName, AnUnterminatedFieldOpensNothingAndShowsMessage1)
{
    C_MessageBoxAnswerer answerer("Karpolin", IDOK);
    C_LinkRig rig("com5");
    memset(rig.portField, '5', sizeof(rig.portField)); // "com5555..." with no terminator
    memcpy(rig.portField, "com", 3);
    C_SerialPort port(rig.download.owner, rig.portField, sizeof(rig.portField), 0);
    EXPECT_EQ(0, port.Open());
    EXPECT_EQ(NULL, port.Handle());
    ASSERT_EQ(1, answerer.WaitFor(1, 5000));
    EXPECT_EQ("Can't open Serial Port.", answerer.Seen()[0].text);
}
