#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <string.h>

#include <string>

#include "support/Registry.h"
#include "ui/RegKey.h"

namespace
{
const char kPath[] = "Software\\Tarnwick\\KarpolinTest\\RegKey";
}

TEST(C_RegKey, WritesAndReadsBackAndMissesLeaveTheTarget)
{
    C_ScratchKey scratch(kPath);
    C_RegKey key;
    EXPECT_EQ(0, key.OpenRead(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(1, key.CloseKey()) << "nothing open";
    ASSERT_EQ(1, key.CreateKey(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(1, key.WriteString("Port", "com5"));
    EXPECT_EQ(1, key.WriteDword("FontSize", (DWORD)-11));
    EXPECT_EQ(1, key.CloseKey());
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(scratch.Get("Port", &data, &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string("com5", 5), data) << "the terminator is written too";

    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    char port[12] = "com2";
    EXPECT_EQ(1, key.ReadString("Port", port, sizeof(port)));
    EXPECT_STREQ("com5", port);
    DWORD value = 0;
    EXPECT_EQ(1, key.ReadDword("FontSize", &value));
    EXPECT_EQ((DWORD)-11, value);
    EXPECT_EQ(0, key.ReadDword("absent", &value));
    EXPECT_EQ((DWORD)-11, value);
    EXPECT_EQ(0, key.ReadString("absent", port, sizeof(port)));
    EXPECT_STREQ("com5", port);
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
    EXPECT_EQ(0, key.ReadDword("eight", &value));
    EXPECT_EQ(0xAABB1234u, value);
    EXPECT_EQ(1, key.ReadDword("text", &value));
    EXPECT_EQ(0xAA006261u, value) << "three bytes: 'a', 'b' and the terminator";
}

TEST(C_RegKey, ReadStringAlwaysTerminatesAndNeverOverruns)
{
    C_ScratchKey scratch(kPath);
    scratch.SetRaw("unterminated", REG_SZ, "abc", 3);
    scratch.SetString("long", "com12345678901234567890");
    scratch.SetRaw("full", REG_SZ, "com456789012", 12);
    C_RegKey key;
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));

    // Windows hands back the three stored bytes, the last of which becomes the terminator ("ab");
    // Wine adds the missing terminator itself and hands back four ("abc"). Terminated either way.
    char text[12] = "com2";
    EXPECT_EQ(1, key.ReadString("unterminated", text, sizeof(text)));
    EXPECT_TRUE(std::string(text) == "ab" || std::string(text) == "abc") << text;

    char field[16];
    memset(field, '#', sizeof(field));
    strcpy(field, "com2");
    EXPECT_EQ(0, key.ReadString("long", field, 12));
    EXPECT_STREQ("com2", field) << "a value too long for the field keeps the default";
    key.ReadString("full", field, 12); // fills the field without a terminator of its own
    EXPECT_EQ('#', field[12]);
    EXPECT_LT(strlen(field), 12u);

    BYTE raw[4];
    DWORD size = sizeof(raw);
    EXPECT_EQ(0, key.ReadRaw("long", raw, &size)) << "ReadRaw keeps to the caller's size";
}

// What a test writes below HKEY_CURRENT_USER never reaches the user's own key, HKEY_USERS\<user's SID>.
TEST(ScratchKey, KeepsTheUsersOwnKeyUntouched)
{
    HANDLE token = NULL;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    char buffer[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size));
    CloseHandle(token);
    char* sid = NULL;
    ASSERT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
    const std::string own = std::string(sid) + "\\" + kPath;
    LocalFree(sid);

    C_ScratchKey scratch(kPath);
    C_RegKey key;
    ASSERT_EQ(1, key.CreateKey(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(1, key.WriteDword("Probe", 1));
    EXPECT_EQ(1, key.CloseKey());
    EXPECT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(0, key.OpenRead(HKEY_USERS, own.c_str())) << "written into the user's own key";
}
