#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "sys/Text.h"

TEST(C_Text, FormatGrowsInStepsOf260BytesAndGivesUpOnceTheBufferWouldPass3MiB)
{
    C_Text text;
    EXPECT_EQ(260, text.Capacity());
    const struct
    {
        int length, capacity, result; // from 260 in steps of 260, 3145740 is the last capacity reached
    } steps[] = {{259, 260, 1}, {260, 520, 1},         {1000, 1040, 1},
                 {3, 1040, 1},  {3145739, 3145740, 1}, {3145740, 260, 0}};
    for (const auto& step : steps)
    {
        std::string content(step.length, 'a' + step.length % 26);
        EXPECT_EQ(step.result, text.Format("%s", content.c_str())) << step.length;
        EXPECT_EQ(step.capacity, text.Capacity()) << step.length;
        EXPECT_EQ(step.result ? content : "", text.GetString()) << step.length;
        EXPECT_EQ(step.result ? step.length : 0, text.Length());
    }
}

TEST(C_Text, ReserveAssignAppendTruncateAndTrimKeepTheTextTerminated)
{
    C_Text text(4);
    ASSERT_EQ(1, text.Assign("abcdefgh"));
    ASSERT_EQ(1, text.Reserve(5));
    EXPECT_STREQ("abcd", text.GetString()) << "a smaller buffer cuts the text";
    ASSERT_EQ(1, text.Append("e"));
    EXPECT_GT(text.Capacity(), 5) << "a full buffer grows for its terminator too";
    ASSERT_EQ(1, text.AppendChar('f'));
    ASSERT_EQ(1, text.Append(std::string(30, 't').c_str()));
    EXPECT_EQ("abcdef" + std::string(30, 't'), text.GetString());
    EXPECT_STREQ("abc", text.Truncate(3));
    EXPECT_STREQ("abc", text.Truncate(100));
    EXPECT_STREQ("", text.Truncate(-5));
    EXPECT_EQ(0, text.Length());
    text.Assign(" \t  value \t");
    EXPECT_STREQ("value \t", text.TrimLeft());
    EXPECT_EQ(7, text.Length());
    text.Assign(" \t \t ");
    EXPECT_STREQ("", text.TrimLeft());
    EXPECT_EQ(0, text.Length());
    memset(text.GetString(), 'x', text.Capacity());
    text.SyncLength();
    EXPECT_EQ(text.Capacity() - 1, text.Length()) << "an unterminated buffer is terminated at its end";
    ASSERT_EQ(1, text.Reserve(0));
    EXPECT_EQ(1, text.Capacity()) << "0 is taken as 1";
    EXPECT_EQ(0, text.Length());
}

TEST(C_Text, ConvertsThroughTheCodePage)
{
    C_Text text;
    text.Assign("old");
    EXPECT_EQ(1, text.AssignWide((const wchar_t*)NULL));
    EXPECT_EQ(0, text.Length());
    ASSERT_EQ(1, text.AssignWide(L"Schlie\u00dfen \u00b0C m\u00b3"));
    EXPECT_STREQ("Schlie\xdf"
                 "en \xb0"
                 "C m\xb3",
                 text.GetString());
    EXPECT_STREQ(L"Schlie\u00dfen \u00b0C m\u00b3", text.ToWide());
}

TEST(CopyWholeCharacters, CopiesAtMostSizeMinusOneBytesWithoutSplittingADoubleByteCharacter)
{
    const char kanji[] = "a\x82\xA0\x82\xA2"; // "a" and two Shift-JIS characters
    const struct
    {
        const char* text;
        int size;
        UINT codePage;
        const char* copy;
    } cases[] = {{"abcdef", 4, 1252, "abc"}, {"abc", 1, 1252, ""},         {NULL, 8, 1252, ""},
                 {kanji, 3, 932, "a"},       {kanji, 5, 932, "a\x82\xA0"}, {kanji, 6, 932, kanji},
                 {kanji, 3, 1252, "a\x82"},  {"a\x82", 8, 932, "a\x82"}};
    for (const auto& one : cases)
    {
        char buffer[8];
        EXPECT_EQ((int)strlen(one.copy), CopyWholeCharacters(buffer, one.size, one.text, one.codePage));
        EXPECT_STREQ(one.copy, buffer) << "size " << one.size << ", code page " << one.codePage;
    }
}
