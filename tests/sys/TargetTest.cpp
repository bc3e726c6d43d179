#include <gtest/gtest.h>

#include "sys/Target.h"

// The structure sizes the system checks come from the target's headers: the 32-bit program hands
// exactly the sizes that 32-bit Windows expects, the 64-bit build those of 64-bit Windows.
TEST(Target, StructureSizesAreThoseOfTheTarget)
{
    const struct
    {
        const char* structure;
        DWORD size, on32, on64;
    } kRows[] = {{"OPENFILENAMEA, older form", Target::kOpenFileNameOldSize, 76, 136},
                 {"OPENFILENAMEA", Target::kOpenFileNameSize, 88, 152},
                 {"CHOOSEFONTA", Target::kChooseFontSize, 60, 104},
                 {"SHELLEXECUTEINFOA", Target::kShellExecuteInfoSize, 60, 112}};
    for (const auto& row : kRows)
        EXPECT_EQ(sizeof(void*) == 8 ? row.on64 : row.on32, row.size) << row.structure;
}
