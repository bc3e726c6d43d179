#include <gtest/gtest.h>

#include "FakeSystemLibrary.h"
#include "ui/Theme.h"

TEST(GetCommonControlsVersion, TheSystemsLibraryGivesMajorHighAndMinorLowAndAnyFailureZero)
{
    DWORD version = GetCommonControlsVersion();
    EXPECT_TRUE(version >> 16 == 5 || version >> 16 == 6) << std::hex << version;
    EXPECT_LT(version & 0xFFFF, 100u) << std::hex << version;
    EXPECT_EQ(0u, GetCommonControlsVersion("no-such-comctl.dll"));
    EXPECT_EQ(0u, GetCommonControlsVersion("msimg32.dll")) << "no DllGetVersion";
}

TEST(C_Theme, InjectedFakeLibraryClosesOnlyAnOpenedThemeAndOnlyOnce)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    C_Theme::InjectLibraryName(C_FakeSystemLibrary::kName);
    for (const wchar_t* classList : {L"NoSuchClass", L"LISTVIEW"})
    {
        C_Theme theme;
        EXPECT_EQ(classList[0] == 'L', theme.Open(NULL, classList));
        theme.Close();
        theme.Close();
    }
    C_Theme::InjectLibraryName(NULL);
    EXPECT_EQ(2, fake.Calls(C_FakeSystemLibrary::kOpenThemeData));
    EXPECT_EQ(1, fake.Calls(C_FakeSystemLibrary::kCloseThemeData)) << "after the failed open: nothing";
}
