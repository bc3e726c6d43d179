#include <gtest/gtest.h>

#include "sys/Library.h"

// msimg32: a system library that nothing in the test program loads by itself.
TEST(C_Library, LoadsLooksUpAndFreesOnceAndALoadOverAHeldLibraryReleasesItEvenWhenItFails)
{
    ASSERT_EQ(NULL, GetModuleHandleA("msimg32.dll"));
    {
        C_Library library;
        ASSERT_EQ(1, library.Load("msimg32.dll"));
        EXPECT_TRUE(library.GetProc("AlphaBlend") != NULL);
        EXPECT_EQ(1, library.Free());
        EXPECT_EQ(0, library.Free());
        EXPECT_EQ(NULL, GetModuleHandleA("msimg32.dll"));
        EXPECT_EQ(NULL, library.GetProc("AlphaBlend")) << "without a library";
        ASSERT_EQ(1, library.Load("msimg32.dll"));
        EXPECT_EQ(0, library.Load("no-such-library-here.dll"));
        EXPECT_EQ(NULL, GetModuleHandleA("msimg32.dll"));
        ASSERT_EQ(1, library.Load("msimg32.dll"));
    }
    EXPECT_EQ(NULL, GetModuleHandleA("msimg32.dll")) << "the destructor releases";
}
