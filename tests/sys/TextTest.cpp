#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "sys/Text.h"

TEST(C_Text, ReserveAssignAppendAndTruncateKeepTheTextTerminated)
{
    C_Text text(4);
    ASSERT_EQ(1, text.Assign("abcdefgh"));
    ASSERT_EQ(1, text.Reserve(5));
    EXPECT_STREQ("abcd", text.GetString()) << "a smaller buffer cuts the text";
    ASSERT_EQ(1, text.Append("e"));
    EXPECT_GT(text.Capacity(), 5) << "a full buffer grows for its terminator too";
    ASSERT_EQ(1, text.Append(std::string(30, 't').c_str()));
    EXPECT_EQ("abcde" + std::string(30, 't'), text.GetString());
    EXPECT_STREQ("abc", text.Truncate(3));
    EXPECT_STREQ("abc", text.Truncate(100));
    EXPECT_STREQ("", text.Truncate(-5));
    EXPECT_EQ(0, text.Length());
    memset(text.GetString(), 'x', text.Capacity());
    text.SyncLength();
    EXPECT_EQ(text.Capacity() - 1, text.Length()) << "an unterminated buffer is terminated at its end";
    ASSERT_EQ(1, text.Reserve(0));
    EXPECT_EQ(1, text.Capacity()) << "0 is taken as 1";
    EXPECT_EQ(0, text.Length());
}
