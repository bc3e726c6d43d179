#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "data/Measurement.h"
#include "sys/Thread.h"

namespace
{

PointRecord GoodRecord(int point = 1)
{
    PointRecord record;
    memcpy(record.bytes, "\r 01;00;12:00:00;00012;020 00000;00000;0020;0000", 48);
    record.bytes[2] = (char)('0' + point / 10);
    record.bytes[3] = (char)('0' + point % 10);
    return record;
}

RecordNode* Node(int point)
{
    RecordNode* node = NewRecordNode();
    node->record = GoodRecord(point);
    return node;
}

// The points in list order; checks on the way that the backward links mirror the forward ones.
std::vector<int> Points(const RecordList& list)
{
    std::vector<int> points;
    RecordNode* previous = NULL;
    for (RecordNode* node = list.First(); node; previous = node, node = node->next)
    {
        EXPECT_EQ(previous, node->prev);
        points.push_back((node->record.bytes[2] - '0') * 10 + node->record.bytes[3] - '0');
    }
    EXPECT_EQ(previous, list.Last());
    return points;
}

} // namespace

TEST(RecordRule, OnlyTheSevenSeparatorsAreTested)
{
    const int separators[] = {4, 7, 16, 22, 32, 38, 43};
    ASSERT_EQ(1, IsWellFormed(GoodRecord()));
    for (int position = 0; position < PointRecord::kSize; position++)
    {
        bool tested =
            std::find(std::begin(separators), std::end(separators), position) != std::end(separators);
        for (int value : {0x00, 0x1A, 0x0D, (int)',', (int)'o'})
        {
            PointRecord record = GoodRecord();
            record.bytes[position] = (char)value;
            EXPECT_EQ(tested ? 0 : 1, IsWellFormed(record)) << "byte " << position << " = " << value;
        }
    }
}

TEST(RecordRule, OnlyTwoDashesMakeAnEmptySlot)
{
    PointRecord record = GoodRecord();
    const struct
    {
        const char* point;
        int empty;
    } cases[] = {{"--", 1}, {"-5", 0}, {"5-", 0}, {"01", 0}};
    for (const auto& c : cases)
    {
        memcpy(record.bytes + 2, c.point, 2);
        EXPECT_EQ(c.empty, IsEmptySlot(record)) << c.point;
        EXPECT_EQ(1, IsWellFormed(record)) << "an empty slot is still kept";
    }
}

TEST(RecordList, KeepsArrivalOrderAndUnlinksAnywhere)
{
    RecordList list;
    list.Init();
    RecordNode* nodes[5];
    for (int i = 0; i < 5; i++)
        list.Append(nodes[i] = Node(i + 1));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), Points(list));

    EXPECT_EQ(1, list.Remove(nodes[2]));
    EXPECT_EQ(1, list.Remove(nodes[0]));
    EXPECT_EQ(1, list.Remove(nodes[4]));
    EXPECT_EQ((std::vector<int>{2, 4}), Points(list));
    EXPECT_EQ(0, list.Remove(nodes[2])) << "already removed";

    // Nodes of another list, or of none, are not found and change nothing.
    RecordList other;
    other.Init();
    other.Append(nodes[0]);
    EXPECT_EQ(0, list.Remove(nodes[0]));
    EXPECT_EQ(0, list.Remove(nodes[4]));
    EXPECT_EQ((std::vector<int>{2, 4}), Points(list));
    EXPECT_EQ((std::vector<int>{1}), Points(other));

    DeleteRecordNode(nodes[2]);
    DeleteRecordNode(nodes[4]);
    ClearRecords(other);
    ClearRecords(list);
    EXPECT_EQ(NULL, list.First());
    EXPECT_EQ(NULL, list.Last());
    ClearRecords(list); // an empty list: nothing happens
    list.Append(Node(7));
    EXPECT_EQ((std::vector<int>{7}), Points(list));
    ClearRecords(list);
}

namespace
{

const int kPerThread = 20000;

DWORD AppendMany(void* data, DWORD tag)
{
    RecordList* list = static_cast<RecordList*>(data);
    for (int i = 0; i < kPerThread; i++)
    {
        RecordNode* node = Node(1);
        node->record.bytes[1] = (char)tag;
        list->Append(node);
    }
    return 0;
}

} // namespace

TEST(RecordList, AppendFromTwoThreadsAtOnceKeepsEveryNode)
{
    RecordList list;
    list.Init();
    C_Thread a, b;
    ASSERT_EQ(1, a.Start(AppendMany, &list, 'a'));
    ASSERT_EQ(1, b.Start(AppendMany, &list, 'b'));
    a.Wait(30000);
    b.Wait(30000);
    ASSERT_EQ(0, a.IsRunning() | b.IsRunning());

    int counts[2] = {0, 0};
    for (RecordNode* node = list.First(); node; node = node->next)
        counts[node->record.bytes[1] == 'b']++;
    EXPECT_EQ(kPerThread, counts[0]);
    EXPECT_EQ(kPerThread, counts[1]);
    EXPECT_EQ(2 * kPerThread, (int)Points(list).size());
    ClearRecords(list);
}
