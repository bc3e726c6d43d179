#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <string.h>

#include <string>

#include "support/Registry.h"
#include "sys/RegKey.h"

namespace
{
const char kPath[] = "Software\\Tarnwick\\KarpolinTest\\RegKey";
}

// Values of any type: ReadDword copies at most 4 bytes over the first of its field, ReadString at
// most its 12, the last byte read becoming the terminator; what does not fit leaves the target alone.
TEST(C_RegKey, ReadsCopyOnlyWhatFitsAndAlwaysTerminate)
{
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
    for (const auto& row : rows)
        if (row.bytes.size())
            scratch.SetRaw(row.name, REG_BINARY, row.bytes.data(), (DWORD)row.bytes.size());
    C_RegKey key;
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
}

// While a test runs, what it writes below HKEY_CURRENT_USER never reaches the user's own key,
// HKEY_USERS\<user's SID>.
TEST(C_RegKey, WritesAndReadsBackAndInATestNeverTheUsersOwnKey)
{
    HANDLE token = NULL;
    char buffer[256], *sid = NULL;
    DWORD size = 0;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size));
    CloseHandle(token);
    ASSERT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
    const std::string own = std::string(sid) + "\\" + kPath;
    LocalFree(sid);
    C_ScratchKey scratch(kPath);
    C_RegKey key;
    ASSERT_EQ(1, key.CreateKey(HKEY_CURRENT_USER, kPath));
    EXPECT_EQ(1, key.WriteString("Port", "com5"));
    EXPECT_EQ(1, key.WriteDword("FontSize", (DWORD)-11));
    ASSERT_EQ(1, key.OpenRead(HKEY_CURRENT_USER, kPath));
    EXPECT_TRUE(key.ReadString("Port", buffer, sizeof(buffer)) && !strcmp(buffer, "com5")) << buffer;
    EXPECT_TRUE(key.ReadDword("FontSize", &size) && size == (DWORD)-11) << size;
    EXPECT_EQ(0, key.OpenRead(HKEY_USERS, own.c_str())) << "written into the user's own key";
}
