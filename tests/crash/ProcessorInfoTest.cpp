#include <gtest/gtest.h>

#include "crash/ProcessorInfo.h"
#include "ui/Text.h"

TEST(ProcessorInfo, AnswersForEachProcessorKeyThenStopsLeavingTheValues)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    C_ProcessorInfo processors;
    C_Text name, vendor, identifier;
    DWORD mhz = 0;
    for (DWORD index = 0; index < system.dwNumberOfProcessors; index++)
    {
        name.Assign(""), vendor.Assign(""), identifier.Assign("");
        ASSERT_EQ(1, processors.GetProcessor(index, name, vendor, identifier, mhz)) << index;
        // On the NT family every text comes from the registry.
        EXPECT_TRUE(name.Length() > 0 && vendor.Length() > 0 && identifier.Length() > 0) << index;
    }
    name.Assign("kept");
    EXPECT_EQ(0, processors.GetProcessor(system.dwNumberOfProcessors, name, vendor, identifier, mhz));
    EXPECT_STREQ("kept", name.c_str());
}
