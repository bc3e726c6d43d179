#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "ui/Text.h"

TEST(C_Text, StartsEmptyWith260Bytes)
{
    C_Text text;
    EXPECT_EQ(0, text.Length());
    EXPECT_STREQ("", text.GetString());
    EXPECT_EQ(260, text.Capacity());
    C_Text sized(16);
    EXPECT_EQ(16, sized.Capacity());
}

TEST(C_Text, FormatGrowsInStepsOf260Bytes)
{
    C_Text text;
    std::string fits(259, 'a');
    ASSERT_EQ(1, text.Format("%s", fits.c_str()));
    EXPECT_EQ(260, text.Capacity());
    EXPECT_EQ(259, text.Length());
    EXPECT_EQ(0, text.GetString()[259]);
    EXPECT_EQ(fits, text.GetString());

    std::string grows(260, 'b');
    ASSERT_EQ(1, text.Format("%s", grows.c_str()));
    EXPECT_EQ(520, text.Capacity());
    EXPECT_EQ(grows, text.GetString());

    std::string longer(1000, 'c');
    ASSERT_EQ(1, text.Format("<%s>", longer.c_str()));
    EXPECT_EQ(1040, text.Capacity());
    EXPECT_EQ(1002, text.Length());

    // Formatting anew replaces the old contents and keeps the grown buffer.
    ASSERT_EQ(1, text.Format("%u-%s", 7u, "x"));
    EXPECT_STREQ("7-x", text.GetString());
    EXPECT_EQ(3, text.Length());
}

TEST(C_Text, FormatGivesUpOnceTheBufferWouldPass3MiB)
{
    // Steps of 260 from 260: a capacity of 3145740 is the last one the growth may reach, so a result
    // of 3145739 characters still fits and one more character gives up.
    C_Text text;
    std::string last(3145739, 'z');
    ASSERT_EQ(1, text.Format("%s", last.c_str()));
    EXPECT_EQ(3145740, text.Capacity());
    EXPECT_EQ(3145739, text.Length());

    C_Text other;
    std::string tooLong(3145740, 'z');
    EXPECT_EQ(0, other.Format("%s", tooLong.c_str()));
    EXPECT_EQ(0, other.Length());
    EXPECT_EQ(260, other.Capacity());
    EXPECT_STREQ("", other.GetString());
}

TEST(C_Text, ReserveCutsAndKeeps)
{
    C_Text text;
    text.Assign("abcdefgh");
    ASSERT_EQ(1, text.Reserve(5));
    EXPECT_EQ(4, text.Length());
    EXPECT_STREQ("abcd", text.GetString());
    ASSERT_EQ(1, text.Reserve(0)); // taken as 1
    EXPECT_EQ(1, text.Capacity());
    EXPECT_EQ(0, text.Length());
    ASSERT_EQ(1, text.Reserve(300));
    EXPECT_STREQ("", text.GetString());
    text.Assign("xyz");
    ASSERT_EQ(1, text.Reserve(400));
    EXPECT_STREQ("xyz", text.GetString());
}

TEST(C_Text, AssignCopiesAndGrowsExactly)
{
    C_Text text(4);
    ASSERT_EQ(1, text.Assign("abc"));
    EXPECT_EQ(4, text.Capacity());
    ASSERT_EQ(1, text.Assign("abcdefghij"));
    EXPECT_EQ(11, text.Capacity());
    EXPECT_STREQ("abcdefghij", text.GetString());
    ASSERT_EQ(1, text.Assign("12345", 3));
    EXPECT_STREQ("123", text.GetString());
    ASSERT_EQ(1, text.Assign(NULL));
    EXPECT_EQ(0, text.Length());
}

TEST(C_Text, AppendAndAppendCharLeaveSlack)
{
    C_Text text(4);
    text.Assign("abc");
    ASSERT_EQ(1, text.AppendChar('d'));
    // stored length 4 + 1 did not fit 4 bytes: 4 + 21
    EXPECT_EQ(25, text.Capacity());
    EXPECT_STREQ("abcd", text.GetString());
    ASSERT_EQ(1, text.Append("efg"));
    EXPECT_EQ(25, text.Capacity());
    EXPECT_STREQ("abcdefg", text.GetString());
    std::string tail(30, 't');
    ASSERT_EQ(1, text.Append(tail.c_str()));
    // stored length 8 + 30 = 38 needed, 20 slack
    EXPECT_EQ(58, text.Capacity());
    EXPECT_EQ(37, text.Length());
    EXPECT_EQ("abcdefg" + tail, text.GetString());
}

TEST(C_Text, TruncateClampsThePosition)
{
    C_Text text;
    text.Assign("abcdef");
    EXPECT_STREQ("abcdef", text.Truncate(100));
    EXPECT_EQ(6, text.Length());
    EXPECT_STREQ("abc", text.Truncate(3));
    EXPECT_EQ(3, text.Length());
    EXPECT_STREQ("", text.Truncate(-5));
    EXPECT_EQ(0, text.Length());
}

TEST(C_Text, TrimLeftRemovesBlanksAndTabs)
{
    C_Text text;
    text.Assign(" \t  value \t");
    EXPECT_STREQ("value \t", text.TrimLeft());
    EXPECT_EQ(7, text.Length());
    text.Assign(" \t \t ");
    EXPECT_STREQ("", text.TrimLeft());
    EXPECT_EQ(0, text.Length());
    text.Assign("kept");
    EXPECT_STREQ("kept", text.TrimLeft());
}

TEST(C_Text, AssignWideOfEmptyAndNullSources)
{
    C_Text text;
    text.Assign("old");
    EXPECT_EQ(0, text.AssignWide(L""));
    EXPECT_EQ(0, text.Length());
    EXPECT_EQ(260, text.Capacity());
    text.Assign("old");
    EXPECT_EQ(1, text.AssignWide((const wchar_t*)NULL));
    EXPECT_EQ(0, text.Length());
    ASSERT_EQ(1, text.AssignWide(L"D\u00e4mpfung \u00b0C"));
    EXPECT_STREQ("D\xe4mpfung \xb0"
                 "C",
                 text.GetString());
}

TEST(C_Text, ToWideRoundTripsTheCodePage)
{
    C_Text text;
    text.Assign("Schlie\xdf"
                "en m\xb3");
    const wchar_t* wide = text.ToWide();
    ASSERT_TRUE(wide != NULL);
    EXPECT_STREQ(L"Schlie\u00dfen m\u00b3", wide);
    wchar_t exact[12];
    EXPECT_EQ(exact, text.ToWide(exact));
    EXPECT_STREQ(L"Schlie\u00dfen m\u00b3", exact);
}

TEST(C_Text, CompareAndGetStringCopy)
{
    C_Text text;
    text.Assign("beta");
    EXPECT_EQ(0, text.Compare("beta"));
    EXPECT_LT(text.Compare("gamma"), 0);
    EXPECT_GT(text.Compare("alpha"), 0);
    EXPECT_NE(0, text.Compare("Beta"));
    char copy[8];
    EXPECT_EQ(text.GetString(), text.GetString(copy));
    EXPECT_STREQ("beta", copy);
}

TEST(C_Text, SyncLengthAfterADirectWrite)
{
    C_Text text;
    strcpy(text.GetString(), "written");
    text.SyncLength();
    EXPECT_EQ(7, text.Length());
    memset(text.GetString(), 'x', text.Capacity()); // no terminator at all
    text.SyncLength();
    EXPECT_EQ(259, text.Length());
    EXPECT_EQ(0, text.GetString()[259]);
}
