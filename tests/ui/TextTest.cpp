#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "ui/Text.h"

TEST(C_Text, FormatGrowsInStepsOf260Bytes)
{
    C_Text text;
    EXPECT_EQ(260, text.Capacity());
    EXPECT_STREQ("", text.GetString());
    struct
    {
        int length;
        int capacity;
    } const steps[] = {{259, 260}, {260, 520}, {1000, 1040}, {3, 1040}};
    for (const auto& step : steps)
    {
        std::string content(step.length, 'a' + step.length % 26);
        ASSERT_EQ(1, text.Format("%s", content.c_str()));
        EXPECT_EQ(step.capacity, text.Capacity()) << step.length;
        EXPECT_EQ(step.length, text.Length());
        EXPECT_EQ(content, text.GetString());
    }
}

TEST(C_Text, FormatGivesUpOnceTheBufferWouldPass3MiB)
{
    // From 260 in steps of 260, 3145740 is the last capacity the growth may reach: a result of
    // 3145739 characters still fits, one more gives up and leaves an empty 260-byte text.
    C_Text text;
    ASSERT_EQ(1, text.Format("%s", std::string(3145739, 'z').c_str()));
    EXPECT_EQ(3145740, text.Capacity());
    C_Text other;
    EXPECT_EQ(0, other.Format("%s", std::string(3145740, 'z').c_str()));
    EXPECT_EQ(0, other.Length());
    EXPECT_EQ(260, other.Capacity());
}

TEST(C_Text, ReserveAssignAndAppendGrowAsTold)
{
    C_Text text(4);
    ASSERT_EQ(1, text.Assign("abcdefgh"));
    EXPECT_EQ(9, text.Capacity()) << "Assign reserves exactly what it needs";
    ASSERT_EQ(1, text.Reserve(5));
    EXPECT_STREQ("abcd", text.GetString()) << "a smaller buffer cuts the text";
    EXPECT_EQ(4, text.Length());
    ASSERT_EQ(1, text.AppendChar('e'));
    EXPECT_EQ(5 + 21, text.Capacity()) << "20 bytes of slack";
    ASSERT_EQ(1, text.Append(std::string(30, 't').c_str()));
    EXPECT_EQ(6 + 30 + 20, text.Capacity());
    EXPECT_EQ("abcde" + std::string(30, 't'), text.GetString());
    ASSERT_EQ(1, text.Reserve(0));
    EXPECT_EQ(1, text.Capacity()) << "0 is taken as 1";
    EXPECT_EQ(0, text.Length());
}

TEST(C_Text, TruncateAndTrimLeft)
{
    C_Text text;
    text.Assign("abcdef");
    EXPECT_STREQ("abcdef", text.Truncate(100));
    EXPECT_STREQ("abc", text.Truncate(3));
    EXPECT_STREQ("", text.Truncate(-5));
    EXPECT_EQ(0, text.Length());

    text.Assign(" \t  value \t");
    EXPECT_STREQ("value \t", text.TrimLeft());
    EXPECT_EQ(7, text.Length());
    text.Assign(" \t \t ");
    EXPECT_STREQ("", text.TrimLeft());
    EXPECT_EQ(0, text.Length());
}

TEST(C_Text, ConvertsThroughTheCodePage)
{
    C_Text text;
    text.Assign("old");
    EXPECT_EQ(0, text.AssignWide(L"")) << "nothing to convert counts as a failure";
    EXPECT_EQ(0, text.Length());
    EXPECT_EQ(260, text.Capacity());
    text.Assign("old");
    EXPECT_EQ(1, text.AssignWide((const wchar_t*)NULL));
    EXPECT_EQ(0, text.Length());

    ASSERT_EQ(1, text.AssignWide(L"Schlie\u00dfen \u00b0C m\u00b3"));
    EXPECT_STREQ("Schlie\xdf"
                 "en \xb0"
                 "C m\xb3",
                 text.GetString());
    EXPECT_STREQ(L"Schlie\u00dfen \u00b0C m\u00b3", text.ToWide());
    wchar_t exact[16];
    EXPECT_EQ(exact, text.ToWide(exact));
}

TEST(C_Text, SyncLengthTerminatesAnUnterminatedBuffer)
{
    C_Text text;
    memset(text.GetString(), 'x', text.Capacity());
    text.SyncLength();
    EXPECT_EQ(259, text.Length());
    EXPECT_EQ(0, text.GetString()[259]);
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
