#include <gtest/gtest.h>

#include "sys/CriticalSection.h"
#include "sys/Thread.h"

// Holds `section` while another thread tries to pass through it; 1 when that thread got through.
static int OtherThreadPassesWhileHeld(C_CriticalSection& section)
{
    section.Enter();
    C_Thread other;
    other.Start(
        [](void* section, DWORD)
        {
            static_cast<C_CriticalSection*>(section)->Enter();
            static_cast<C_CriticalSection*>(section)->Leave();
            return 0ul;
        },
        &section, 0);
    int passed = other.Wait(300);
    section.Leave();
    other.Wait(5000);
    return passed;
}

TEST(C_CriticalSection, ADeletedOneHoldsNobodyUpAndInitialisedAgainItExcludesAgain)
{
    C_CriticalSection section;
    section.Delete();
    section.Delete();
    EXPECT_EQ(1, OtherThreadPassesWhileHeld(section));
    section.Init();
    section.Init();
    EXPECT_EQ(0, OtherThreadPassesWhileHeld(section));
}
