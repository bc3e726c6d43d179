#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <string.h>

#include <string>

#include "support/Registry.h"
#include "sys/RegKey.h"

// ReadDword copies at most 4 bytes, ReadString at most 12 with the last byte read becoming the terminator;
// what does not fit leaves the target alone. A test never reaches the user's own key, HKEY_USERS\<SID>.
TEST(C_RegKey, ReadsCopyOnlyWhatFitsAndAlwaysTerminateAndATestNeverReachesTheUsersOwnKey)
{
    const char kPath[] = "Software\\Tarnwick\\KarpolinTest\\RegKey";
    C_ScratchKey scratch(kPath);
    const struct
    {
        const char* name;
        std::string bytes;
        int dwordRead;
        DWORD dword;
        int stringRead;
        const char* string;
    } rows[] = {{"two", "\x34\x12", 1, 0xAABB1234, 1, "4"},
                {"text", std::string("ab", 3), 1, 0xAA006261, 1, "ab"},
                {"five", std::string("abcd", 5), 0, 0xAABBCCDD, 1, "abcd"},
                {"full", "com456789012", 0, 0xAABBCCDD, 1, "com45678901"},
                {"long", "com4567890123", 0, 0xAABBCCDD, 0, "com2"},
                {"absent", "", 0, 0xAABBCCDD, 0, "com2"}};
    C_RegKey key;
    ASSERT_EQ(1, key.CreateKey(HKEY_CURRENT_USER, kPath));
    for (const auto& row : rows)
        if (row.bytes.size())
            scratch.SetRaw(row.name, REG_BINARY, row.bytes.data(), (DWORD)row.bytes.size());
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    for (const auto& row : rows)
    {
        DWORD value = 0xAABBCCDD;
        EXPECT_EQ(row.dwordRead, key.ReadDword(row.name, &value)) << row.name;
        EXPECT_EQ(row.dword, value) << row.name;
        char field[16];
        memset(field, '#', sizeof(field));
        strcpy(field, "com2");
        EXPECT_EQ(row.stringRead, key.ReadString(row.name, field, 12)) << row.name;
        EXPECT_STREQ(row.string, field) << row.name;
        EXPECT_EQ('#', field[12]) << row.name;
    }

    HANDLE token = NULL;
    char buffer[256], *sid = NULL;
    DWORD size = 0;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size));
    CloseHandle(token);
    ASSERT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
    const std::string own = std::string(sid) + "\\" + kPath;
    LocalFree(sid);
    EXPECT_EQ(0, key.OpenRead(HKEY_USERS, own.c_str())) << "written into the user's own key";
}
