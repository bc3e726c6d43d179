#include <gtest/gtest.h>

#include "FakeSystemLibrary.h"
#include "ui/Theme.h"

const char C_FakeSystemLibrary::kName[] = "KarpolinFakeSystem.dll";

namespace
{
// A system library that exists but has none of the visual-styles entry points.
const char kLibraryWithoutThemes[] = "msimg32.dll";

// Puts another library in uxtheme's place for one test.
struct InjectedThemeLibrary
{
    explicit InjectedThemeLibrary(const char* name) { C_Theme::InjectLibraryName(name); }
    ~InjectedThemeLibrary() { C_Theme::InjectLibraryName(NULL); }
};
} // namespace

TEST(GetCommonControlsVersion, PacksMajorHighAndMinorLow)
{
    EXPECT_EQ(0x00050052u, PackDllVersion(5, 82));
    EXPECT_EQ(0x00060000u, PackDllVersion(6, 0));
    EXPECT_EQ(0x00050010u, PackDllVersion(5, 0x70010)) << "only the minor's low 16 bits";
}

TEST(GetCommonControlsVersion, FakeLibraryReporting5_82Gives0x00050052)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    EXPECT_EQ(0x00050052u, GetCommonControlsVersion(C_FakeSystemLibrary::kName));
    EXPECT_EQ(1, fake.Calls("DllGetVersion"));
}

TEST(GetCommonControlsVersion, TheRealCommonControlsReportAVersionOfTheirOwn)
{
    // Wine 8 answers 5.81 even from the 6.0 copy (winsxs) that the program's manifest selects;
    // Windows answers 6.0 or later there.
    DWORD version = GetCommonControlsVersion();
    EXPECT_GE(version, 0x00050050u);
    EXPECT_LE(version, 0x0006FFFFu);
}

TEST(GetCommonControlsVersion, MissingLibraryOrEntryPointGivesZero)
{
    EXPECT_EQ(0u, GetCommonControlsVersion("no-such-comctl.dll"));
    EXPECT_EQ(0u, GetCommonControlsVersion(kLibraryWithoutThemes));
}

TEST(C_Theme, OpensTheRealLibraryWithoutClassListAndSetsAWindowTheme)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    C_Theme theme;
    EXPECT_EQ(1, theme.Open(NULL, NULL));
    EXPECT_EQ(NULL, theme.Theme());
    EXPECT_TRUE(GetModuleHandleA("uxtheme.dll") != NULL);
    EXPECT_EQ(1, theme.SetWindowTheme(window, L"explorer", NULL));
    theme.Close();
    EXPECT_EQ(0, theme.SetWindowTheme(window, L"explorer", NULL)) << "closed: nothing to call";
    DestroyWindow(window);
}

TEST(C_Theme, InjectedFakeLibraryOpensAndClosesOneThemeHandle)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    InjectedThemeLibrary injected(C_FakeSystemLibrary::kName);
    C_Theme theme;
    ASSERT_EQ(1, theme.Open(NULL, L"LISTVIEW"));
    EXPECT_TRUE(theme.Theme() != NULL);
    EXPECT_EQ(0, fake.Calls("IsThemeActive")) << "required, never called";
    theme.Close();
    theme.Close();
    EXPECT_EQ(1, fake.Calls("CloseThemeData"));
}

TEST(C_Theme, InjectedFakeLibraryCloseAfterAFailedOpenAndTwiceCallsNothing)
{
    C_FakeSystemLibrary fake;
    ASSERT_TRUE(fake.Loaded());
    InjectedThemeLibrary injected(C_FakeSystemLibrary::kName);
    C_Theme theme;
    EXPECT_EQ(0, theme.Open(NULL, L"NoSuchClass"));
    EXPECT_EQ(1, fake.Calls("OpenThemeData"));
    theme.Close();
    theme.Close();
    EXPECT_EQ(0, fake.Calls("CloseThemeData"));
    EXPECT_EQ(0, fake.Calls("SetWindowTheme"));
}

TEST(C_Theme, InjectedMissingLibraryFailsOpenAndSetWindowThemeReportsZero)
{
    InjectedThemeLibrary injected("no-such-uxtheme.dll");
    C_Theme theme;
    EXPECT_EQ(0, theme.Open(NULL, NULL));
    EXPECT_EQ(0, theme.SetWindowTheme(NULL, L"explorer", NULL));
    theme.Close();
    theme.Close();
}

TEST(C_Theme, InjectedLibraryWithoutEntryPointsFailsOpenButStaysLoadedUntilClose)
{
    ASSERT_EQ(NULL, GetModuleHandleA(kLibraryWithoutThemes));
    InjectedThemeLibrary injected(kLibraryWithoutThemes);
    C_Theme theme;
    EXPECT_EQ(0, theme.Open(NULL, NULL));
    EXPECT_TRUE(GetModuleHandleA(kLibraryWithoutThemes) != NULL);
    EXPECT_EQ(0, theme.SetWindowTheme(NULL, L"explorer", NULL));
    theme.Close();
    EXPECT_EQ(NULL, GetModuleHandleA(kLibraryWithoutThemes));
}
