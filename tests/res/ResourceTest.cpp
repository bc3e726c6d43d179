// The compiled resource script, as this test program carries it (the same object as Karpolin.exe's).
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "support/StringTableData.h"
#include "ui/StringTable.h"

// The listed texts byte for byte in code page 1252 prove that the UTF-8 script reaches the resource as
// the right UTF-16; every id but 0, 23 and those from 41 on (48 apart) holds a text in both languages.
TEST(Strings, TheListedTextsInBothLanguagesAndNoOthers)
{
    ASSERT_EQ(1252u, GetACP());
    C_StringTable strings(GetModuleHandleA(NULL));
    for (WORD language : {1033, 1031})
    {
        for (const StringRow& row : kStringTable)
            EXPECT_EQ(Cp1252Of(language == 1033 ? row.english : row.german),
                      strings.LoadLocalizedString(row.id, NULL, language));
        for (UINT id = 0; id < 64; id++)
            EXPECT_EQ(id == 0 || id == 23 || (id > 40 && id != 48),
                      !strcmp("?", strings.LoadLocalizedString(id, NULL, language)))
                << id << " in " << language;
    }
}

// A loader ignores a manifest of another processor. The redirection of "comctl32.dll" is the proof
// that it honoured this one: DllGetVersion of version 6 reports 5.81 under Wine.
TEST(Manifest, SelectsCommonControlsSixForTheBuildsProcessor)
{
    HRSRC found = FindResourceExA(NULL, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), 1031);
    ASSERT_TRUE(found != NULL);
    std::string text((const char*)LockResource(LoadResource(NULL, found)), SizeofResource(NULL, found));
    const std::string processor = sizeof(void*) == 8 ? "Architecture=\"amd64\"" : "Architecture=\"X86\"";
    for (std::string part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "dpiAware"})
        EXPECT_EQ(part != "dpiAware", text.find(part) != std::string::npos) << part;
    EXPECT_NE(std::string::npos, text.find(processor, text.find(processor) + 1));
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                         &redirection));
}
