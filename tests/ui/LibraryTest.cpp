#include <gtest/gtest.h>

#include "ui/Library.h"

// A system library that nothing in the test program loads by itself.
static const char kSpareLibrary[] = "msimg32.dll";

TEST(C_Library, AnEmptyHolderAnswersWithoutThePlatform)
{
    C_Library library;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(NULL, library.GetProc("GetVersion"));
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(0, library.Free());
}

TEST(C_Library, LoadsLooksUpAndFreesOnce)
{
    ASSERT_EQ(NULL, GetModuleHandleA(kSpareLibrary));
    C_Library library;
    ASSERT_EQ(1, library.Load(kSpareLibrary));
    EXPECT_TRUE(GetModuleHandleA(kSpareLibrary) != NULL);
    EXPECT_TRUE(library.GetProc("AlphaBlend") != NULL);
    EXPECT_EQ(NULL, library.GetProc("NoSuchEntryPoint"));
    EXPECT_EQ(1, library.Free());
    EXPECT_EQ(0, library.Free());
    EXPECT_EQ(NULL, GetModuleHandleA(kSpareLibrary));
}

TEST(C_Library, LoadOverAHeldLibraryReleasesItEvenWhenTheNewLoadFails)
{
    C_Library library;
    ASSERT_EQ(1, library.Load(kSpareLibrary));
    EXPECT_EQ(0, library.Load("no-such-library-here.dll"));
    EXPECT_EQ(NULL, GetModuleHandleA(kSpareLibrary));
    EXPECT_EQ(NULL, library.Module());
    EXPECT_EQ(0, library.Free());
}

TEST(C_Library, TheDestructorReleases)
{
    {
        C_Library library;
        ASSERT_EQ(1, library.Load(kSpareLibrary));
    }
    EXPECT_EQ(NULL, GetModuleHandleA(kSpareLibrary));
}
