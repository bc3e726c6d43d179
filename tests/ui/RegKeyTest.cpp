#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "support/Registry.h"
#include "ui/RegKey.h"

namespace
{
const char kPath[] = "Software\\Tarnwick\\KarpolinTest\\RegKey";
}

TEST(C_RegKey, WritesAndReadsBack)
{
    C_ScratchKey scratch(kPath);
    {
        C_RegKey key;
        ASSERT_EQ(1, key.CreateKey(HKEY_CURRENT_USER, kPath));
        EXPECT_EQ(1, key.WriteString("Port", "com5"));
        EXPECT_EQ(1, key.WriteDword("FontSize", (DWORD)-11));
        EXPECT_EQ(1, key.CloseKey());
        EXPECT_EQ(NULL, key.Key());
    }
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(scratch.Get("Port", &data, &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string("com5", 5), data) << "the terminator is written too";

    C_RegKey key;
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    char port[12] = "com2";
    EXPECT_EQ(1, key.ReadString("Port", port, sizeof(port)));
    EXPECT_STREQ("com5", port);
    DWORD size = 0;
    EXPECT_EQ(1, key.ReadDword("FontSize", &size));
    EXPECT_EQ((DWORD)-11, size);
}

TEST(C_RegKey, MissingKeysAndValuesFailAndLeaveTheTarget)
{
    C_ScratchKey scratch(kPath);
    C_RegKey key;
    EXPECT_EQ(0, key.OpenRead(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(1, key.CloseKey()) << "nothing open";
    scratch.SetDword("present", 1);
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    DWORD value = 77;
    EXPECT_EQ(0, key.ReadDword("absent", &value));
    EXPECT_EQ(77u, value);
    char text[8] = "keep";
    EXPECT_EQ(0, key.ReadString("absent", text, sizeof(text)));
    EXPECT_STREQ("keep", text);
}

TEST(C_RegKey, ReadDwordTakesAnyValueOfAtMostFourBytes)
{
    C_ScratchKey scratch(kPath);
    const BYTE two[2] = {0x34, 0x12};
    scratch.SetRaw("two", REG_BINARY, two, sizeof(two));
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    scratch.SetRaw("eight", REG_BINARY, eight, sizeof(eight));
    scratch.SetString("text", "ab");

    C_RegKey key;
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    DWORD value = 0xAABBCCDD;
    EXPECT_EQ(1, key.ReadDword("two", &value));
    EXPECT_EQ(0xAABB1234u, value) << "two bytes copied over the first bytes of the field";
    value = 0xAABBCCDD;
    EXPECT_EQ(0, key.ReadDword("eight", &value));
    EXPECT_EQ(0xAABBCCDDu, value);
    EXPECT_EQ(1, key.ReadDword("text", &value));
    EXPECT_EQ(0xAA006261u, value) << "three bytes: 'a', 'b' and the terminator";
}

TEST(C_RegKey, ReadStringAlwaysTerminatesAndNeverOverruns)
{
    C_ScratchKey scratch(kPath);
    scratch.SetRaw("unterminated", REG_SZ, "abc", 3);
    scratch.SetString("long", "com12345678901234567890");
    C_RegKey key;
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));

    // Windows hands back the three stored bytes, the last of which becomes the terminator ("ab");
    // Wine adds the missing terminator itself and hands back four ("abc"). Terminated either way.
    char text[12] = "com2";
    EXPECT_EQ(1, key.ReadString("unterminated", text, sizeof(text)));
    EXPECT_TRUE(std::string(text) == "ab" || std::string(text) == "abc") << text;

    // A value that fills the whole field without a terminator still ends inside the field.
    scratch.SetRaw("full", REG_SZ, "com456789012", 12);
    char full[13];
    memset(full, '#', sizeof(full));
    strcpy(full, "com2");
    key.ReadString("full", full, 12);
    EXPECT_EQ('#', full[12]);
    EXPECT_LT(strlen(full), 12u);

    char field[16];
    memset(field, '#', sizeof(field));
    strcpy(field, "com2");
    EXPECT_EQ(0, key.ReadString("long", field, 12));
    EXPECT_STREQ("com2", field) << "a value too long for the field keeps the default";
    EXPECT_EQ('#', field[12]);
}

TEST(C_RegKey, ReadRawReportsTheSize)
{
    C_ScratchKey scratch(kPath);
    scratch.SetDword("value", 0x01020304);
    C_RegKey key;
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    BYTE buffer[8];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(1, key.ReadRaw("value", buffer, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(4, buffer[0]);
}
