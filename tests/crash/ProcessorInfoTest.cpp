#include <gtest/gtest.h>

#include "crash/ProcessorInfo.h"
#include "ui/Text.h"

namespace
{

DWORD CountProcessorKeys()
{
    HKEY key;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor", 0, KEY_READ,
                      &key) == ERROR_SUCCESS)
    {
        RegQueryInfoKeyA(key, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
        RegCloseKey(key);
    }
    return count;
}

} // namespace

TEST(ProcessorInfo, AnswersForEachProcessorKeyAndThenStops)
{
    DWORD count = CountProcessorKeys();
    ASSERT_GE(count, 1u);
    C_ProcessorInfo processors;
    for (DWORD index = 0; index < count; index++)
    {
        C_Text name, vendor, identifier;
        DWORD mhz = 0;
        ASSERT_EQ(1, processors.GetProcessor(index, name, vendor, identifier, mhz)) << index;
        // On the NT family every text comes from the registry.
        EXPECT_GT(name.Length(), 0) << index;
        EXPECT_GT(vendor.Length(), 0) << index;
        EXPECT_GT(identifier.Length(), 0) << index;
    }
    C_Text name, vendor, identifier;
    name.Assign("kept");
    DWORD mhz = 1234;
    EXPECT_EQ(0, processors.GetProcessor(count, name, vendor, identifier, mhz));
    EXPECT_STREQ("kept", name.c_str());
    EXPECT_EQ(1234u, mhz);
}
