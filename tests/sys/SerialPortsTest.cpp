#include <gtest/gtest.h>

#include <string>

#include "support/Registry.h"
#include "sys/SerialPorts.h"

namespace
{

std::string Numbers(const SerialPortList& list)
{
    std::string numbers;
    for (unsigned i = 0; i < list.count; i++)
        numbers += std::to_string(list.ports[i].number) + " ";
    return numbers;
}

} // namespace

// The registry lists "COMn" in any case; the Port setting holds "comN" exactly as the menu wrote it.
TEST(SerialPorts, NamesAndFriendlyNamesGiveTheirNumbers)
{
    const struct
    {
        const char* text;
        unsigned anyCase, exact;
    } names[] = {{"com12", 12, 12}, {"COM12", 12, 0},        {"com4096", 4096, 4096}, {"com4097", 0, 0},
                 {"com0", 0, 0},    {"com012", 0, 0},        {"com", 0, 0},           {"com12 ", 0, 0},
                 {"CNCA0", 0, 0},   {"com99999999999", 0, 0}};
    for (const auto& row : names)
        EXPECT_EQ(row.anyCase * 10000 + row.exact,
                  PortNumberOfText(row.text, 1) * 10000 + PortNumberOfText(row.text, 0))
            << row.text;
    const struct
    {
        const char* friendly;
        size_t room;
        unsigned number;
        const char* name;
    } friendlies[] = {{"USB Serial Port (COM12)", 64, 12, "USB Serial Port"},
                      {"Port (COM1) (COM7)", 64, 7, "Port (COM1)"},
                      {"USB Serial Port (COM12)", 5, 12, "USB "},
                      {"Printer (LPT1)", 64, 0, ""},
                      {"(COM4)", 64, 0, ""},
                      {"Modem(COM4)", 64, 0, ""},
                      {"Modem (COM4", 64, 0, ""},
                      {"Modem (COM4) x", 64, 0, ""}};
    for (const auto& row : friendlies)
    {
        char name[64] = "x";
        EXPECT_EQ(row.number, SplitFriendlyName(row.friendly, name, row.room)) << row.friendly;
        EXPECT_STREQ(row.name, name) << row.friendly;
    }
}

TEST(SerialPorts, ListKeepsOrderAndEachPortOnceWithinItsBound)
{
    static SerialPortList list;
    list.count = 0;
    for (unsigned number : {40u, 9u, 12u, 9u, 4097u, 0u})
        AddSerialPort(&list, number);
    EXPECT_EQ("9 12 40 ", Numbers(list));
    for (unsigned number = 1; number <= 300; number++)
        AddSerialPort(&list, number);
    EXPECT_EQ((unsigned)kMostListedPorts, list.count);
    EXPECT_EQ(0, AddSerialPort(&list, 4000));
    EXPECT_EQ(1, AddSerialPort(&list, 12));
}

// Wine's mount manager fills the real key at prefix start from its port settings (the test prefix
// holds COM20); values added here show at the next reading, and names of no COM port are left out.
TEST(SerialPorts, ReadsTheSystemsListFromTheRealRegistryEachTime)
{
    const char key[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
    static SerialPortList list;
    ASSERT_EQ(1, ReadSerialPorts(&list));
    EXPECT_NE(std::string::npos, (" " + Numbers(list)).find(" 20 "));
    EXPECT_EQ(std::string::npos, Numbers(list).find("4095"));
    const char* added[][2] = {{"\\Device\\KarpolinTest1", "COM4095"},
                              {"\\Device\\KarpolinTest2", "CNCA0"},
                              {"\\Device\\KarpolinTest3", "COM4094"}};
    for (const auto& value : added)
        ASSERT_EQ(
            0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, value[0], REG_SZ, value[1], lstrlenA(value[1]) + 1));
    EXPECT_EQ(1, ReadSerialPorts(&list));
    std::string numbers = Numbers(list);
    EXPECT_EQ("4094 4095 ", numbers.substr(numbers.size() - 10)) << numbers;
    HKEY open;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &open));
    for (const auto& value : added)
        RegDeleteValueA(open, value[0]);
    RegCloseKey(open);
}
