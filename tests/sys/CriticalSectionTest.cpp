#include <gtest/gtest.h>

#include "sys/CriticalSection.h"
#include "sys/Thread.h"

namespace
{

struct Contender
{
    C_CriticalSection* section;
    volatile LONG entered;
};

DWORD EnterAndLeave(void* data, DWORD)
{
    Contender* contender = static_cast<Contender*>(data);
    contender->section->Enter();
    InterlockedExchange(&contender->entered, 1);
    contender->section->Leave();
    return 0;
}

} // namespace

TEST(C_CriticalSection, ExcludesAnotherThreadWhileHeld)
{
    C_CriticalSection section;
    Contender contender = {&section, 0};
    section.Enter();
    section.Enter(); // recursive for the owner
    C_Thread other;
    ASSERT_EQ(1, other.Start(EnterAndLeave, &contender, 0));
    EXPECT_EQ(0, other.Wait(200));
    EXPECT_EQ(0, contender.entered);
    section.Leave();
    section.Leave();
    other.Wait(5000);
    EXPECT_EQ(0, other.IsRunning());
    EXPECT_EQ(1, contender.entered);
}

TEST(C_CriticalSection, InitAndDeleteAreIdempotentAndADeletedOneIsNeverEntered)
{
    C_CriticalSection section;
    EXPECT_EQ(1, section.IsInitialised());
    section.Init();
    EXPECT_EQ(1, section.IsInitialised());
    section.Delete();
    EXPECT_EQ(0, section.IsInitialised());
    section.Delete();
    EXPECT_EQ(0, section.IsInitialised());

    // Enter on a deleted section takes nothing: another thread is not held up.
    section.Enter();
    Contender contender = {&section, 0};
    C_Thread other;
    ASSERT_EQ(1, other.Start(EnterAndLeave, &contender, 0));
    other.Wait(2000);
    EXPECT_EQ(0, other.IsRunning());
    EXPECT_EQ(1, contender.entered);
    section.Leave();

    section.Init();
    EXPECT_EQ(1, section.IsInitialised());
}
