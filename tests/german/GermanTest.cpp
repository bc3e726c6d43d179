#include <gtest/gtest.h>

#include "data/CsvExport.h"
#include "ui/StringTable.h"

// This program runs as a German-speaking user of an English system: Wine takes the user's language
// from LANG (de_DE) and the system's from LC_CTYPE (en_US).
TEST(German, TheTwoDefaultLanguagesStandForTheirOwnAndPlainStringsFollowThePlatform)
{
    ASSERT_EQ(1031, GetUserDefaultLangID());
    ASSERT_EQ(1033, GetSystemDefaultLangID());
    C_StringTable strings(GetModuleHandleA(NULL));
    EXPECT_STREQ("D\xe4mpfung", strings.LoadLocalizedString(12, NULL, LANG_USER_DEFAULT));
    EXPECT_STREQ("damping", strings.LoadLocalizedString(12, NULL, LANG_SYSTEM_DEFAULT));
    EXPECT_STREQ("Abbruch", strings.LoadPlainString(20, NULL));
    EXPECT_EQ(";,", std::string({UserCsvRules().separator, UserCsvRules().decimal})); // the user's locale
}
