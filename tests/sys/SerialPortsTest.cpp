#include <gtest/gtest.h>

#include <string>

#include "support/Registry.h"
#include "sys/SerialPorts.h"

// The registry lists "COMn" in any case; the Port setting holds "comN" exactly as the menu wrote it.
// A friendly name gives its port and the name before it when it ends in " (COMn)".
TEST(SerialPorts, NamesAndFriendlyNamesGiveTheirNumbers)
{
    std::string numbers;
    for (const char* text :
         {"com12", "COM12", "com4096", "com4097", "com0", "com012", "com", "com1 ", "CNCA0"})
        numbers +=
            std::to_string(PortNumberOfText(text, 1)) + "/" + std::to_string(PortNumberOfText(text, 0)) + " ";
    EXPECT_EQ("12/12 12/0 4096/4096 0/0 0/0 0/0 0/0 0/0 0/0 ", numbers);
    const struct
    {
        const char* friendly;
        size_t room;
        const char* expected;
    } friendlies[] = {{"USB Serial Port (COM12)", 64, "12 USB Serial Port"},
                      {"Port (COM1) (COM7)", 64, "7 Port (COM1)"},
                      {"USB Serial Port (COM12)", 5, "12 USB "},
                      {"Printer (LPT1)", 64, "0 "},
                      {"(COM4)", 64, "0 "},
                      {"Modem(COM4)", 64, "0 "},
                      {"Modem (COM4) x", 64, "0 "}};
    for (const auto& row : friendlies)
    {
        char name[64] = "x";
        unsigned number = SplitFriendlyName(row.friendly, name, row.room);
        EXPECT_EQ(row.expected, std::to_string(number) + " " + name);
    }
}

// Wine's mount manager fills the real key at prefix start from its port settings (the test prefix
// holds COM20); values added here show at the next reading, in order and once each, and names of no
// COM port are left out. The list stops at its bound.
TEST(SerialPorts, ReadsTheSystemsListFromTheRealRegistryEachTime)
{
    const char key[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
    const char* added[][2] = {{"\\Device\\KarpolinTest1", "COM4095"},
                              {"\\Device\\KarpolinTest2", "CNCA0"},
                              {"\\Device\\KarpolinTest3", "COM4094"},
                              {"\\Device\\KarpolinTest4", "com4095"}};
    for (const auto& value : added)
        ASSERT_EQ(
            0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, value[0], REG_SZ, value[1], lstrlenA(value[1]) + 1));
    static SerialPortList list;
    EXPECT_EQ(1, ReadSerialPorts(&list));
    std::string numbers;
    for (unsigned i = 0; i < list.count; i++)
        numbers += " " + std::to_string(list.ports[i].number);
    EXPECT_TRUE(numbers.find(" 20") != std::string::npos && numbers.find(" 4094 4095") == numbers.size() - 10)
        << numbers;
    for (const auto& value : added)
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, value[0]);
    for (unsigned number = 1; number <= kMostListedPorts; number++)
        AddSerialPort(&list, number);
    EXPECT_EQ(0, AddSerialPort(&list, 4000));
    EXPECT_EQ((unsigned)kMostListedPorts, list.count);
}
