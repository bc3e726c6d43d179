#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "data/Measurement.h"
#include "sys/Thread.h"

namespace
{

const int kSeparators[] = {4, 7, 16, 22, 32, 38, 43};

PointRecord GoodRecord()
{
    PointRecord record;
    memcpy(record.bytes, "\r 01;00;12:00:00;00012;020 00000;00000;0020;0000", 48);
    return record;
}

bool IsSeparator(int position)
{
    for (int s : kSeparators)
        if (s == position)
            return true;
    return false;
}

RecordNode* NodeWithPoint(int point)
{
    RecordNode* node = NewRecordNode();
    node->record = GoodRecord();
    node->record.bytes[2] = (char)('0' + point / 10);
    node->record.bytes[3] = (char)('0' + point % 10);
    return node;
}

int PointOf(const RecordNode* node)
{
    return (node->record.bytes[2] - '0') * 10 + (node->record.bytes[3] - '0');
}

std::vector<int> Points(const RecordList& list)
{
    std::vector<int> points;
    for (RecordNode* node = list.First(); node; node = node->next)
        points.push_back(PointOf(node));
    return points;
}

// The backward links must mirror the forward ones.
void ExpectLinked(const RecordList& list)
{
    RecordNode* previous = NULL;
    for (RecordNode* node = list.First(); node; node = node->next)
    {
        EXPECT_EQ(previous, node->prev);
        previous = node;
    }
    EXPECT_EQ(previous, list.Last());
}

} // namespace

TEST(RecordRule, OnlyTheSevenSeparatorsAreTested)
{
    ASSERT_EQ(1, IsWellFormed(GoodRecord()));
    for (int position = 0; position < PointRecord::kSize; position++)
    {
        PointRecord record = GoodRecord();
        if (IsSeparator(position))
        {
            record.bytes[position] = ',';
            EXPECT_EQ(0, IsWellFormed(record)) << "separator " << position;
            record.bytes[position] = 0;
            EXPECT_EQ(0, IsWellFormed(record)) << "separator " << position;
        }
        else
        {
            for (int value : {0x00, 0x1A, 0x0D, 0xFF, (int)'x'})
            {
                record.bytes[position] = (char)value;
                EXPECT_EQ(1, IsWellFormed(record)) << "byte " << position << " = " << value;
            }
        }
    }
}

TEST(RecordRule, ByteZeroAndByte26AreNotExamined)
{
    PointRecord record = GoodRecord();
    record.bytes[0] = 'o';
    record.bytes[26] = ';';
    EXPECT_EQ(1, IsWellFormed(record));
    record.bytes[26] = ',';
    EXPECT_EQ(1, IsWellFormed(record));
}

TEST(RecordRule, OnlyTwoDashesMakeAnEmptySlot)
{
    PointRecord record = GoodRecord();
    memcpy(record.bytes + 2, "--", 2);
    EXPECT_EQ(1, IsEmptySlot(record));
    EXPECT_EQ(1, IsWellFormed(record)) << "an empty slot is still kept";
    memcpy(record.bytes + 2, "-5", 2);
    EXPECT_EQ(0, IsEmptySlot(record));
    memcpy(record.bytes + 2, "5-", 2);
    EXPECT_EQ(0, IsEmptySlot(record));
    memcpy(record.bytes + 2, "01", 2);
    EXPECT_EQ(0, IsEmptySlot(record));
}

TEST(RecordList, KeepsArrivalOrder)
{
    RecordList list;
    list.Init();
    EXPECT_EQ(NULL, list.First());
    for (int point = 1; point <= 5; point++)
        list.Append(NodeWithPoint(point));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), Points(list));
    ExpectLinked(list);
    EXPECT_EQ(NULL, list.Last()->next);
    ClearRecords(list);
}

TEST(RecordList, RemoveUnlinksAtEitherEndAndInTheMiddle)
{
    RecordList list;
    list.Init();
    RecordNode* nodes[5];
    for (int i = 0; i < 5; i++)
        list.Append(nodes[i] = NodeWithPoint(i + 1));

    EXPECT_EQ(1, list.Remove(nodes[2]));
    EXPECT_EQ((std::vector<int>{1, 2, 4, 5}), Points(list));
    EXPECT_EQ(1, list.Remove(nodes[0]));
    EXPECT_EQ(1, list.Remove(nodes[4]));
    EXPECT_EQ((std::vector<int>{2, 4}), Points(list));
    ExpectLinked(list);
    EXPECT_EQ(0, list.Remove(nodes[2])) << "already removed";
    for (int i : {0, 2, 4})
        DeleteRecordNode(nodes[i]);
    ClearRecords(list);
    EXPECT_EQ(NULL, list.First());
    EXPECT_EQ(NULL, list.Last());
}

TEST(RecordList, RemovingAForeignNodeChangesNothing)
{
    RecordList list, other;
    list.Init();
    other.Init();
    list.Append(NodeWithPoint(1));
    list.Append(NodeWithPoint(2));
    RecordNode* foreign = NodeWithPoint(9);
    other.Append(foreign);
    RecordNode* loose = NodeWithPoint(8);

    EXPECT_EQ(0, list.Remove(foreign));
    EXPECT_EQ(0, list.Remove(loose));
    EXPECT_EQ((std::vector<int>{1, 2}), Points(list));
    ExpectLinked(list);
    EXPECT_EQ((std::vector<int>{9}), Points(other));

    DeleteRecordNode(loose);
    ClearRecords(list);
    ClearRecords(other);
}

TEST(RecordList, ClearingAnEmptyListDoesNothingAndTheListIsReusable)
{
    RecordList list;
    list.Init();
    ClearRecords(list);
    EXPECT_EQ(NULL, list.First());
    list.Append(NodeWithPoint(3));
    ClearRecords(list);
    EXPECT_EQ(NULL, list.First());
    EXPECT_EQ(NULL, list.Last());
    list.Init();
    list.Append(NodeWithPoint(4));
    EXPECT_EQ((std::vector<int>{4}), Points(list));
    ClearRecords(list);
}

namespace
{

struct Appender
{
    RecordList* list;
    HANDLE go;
};

const int kPerThread = 20000;

DWORD AppendMany(void* data, DWORD tag)
{
    Appender* appender = static_cast<Appender*>(data);
    WaitForSingleObject(appender->go, INFINITE);
    for (int i = 0; i < kPerThread; i++)
    {
        RecordNode* node = NewRecordNode();
        node->record = GoodRecord();
        node->record.bytes[1] = (char)tag;
        appender->list->Append(node);
    }
    return 0;
}

} // namespace

TEST(RecordList, AppendFromTwoThreadsAtOnceKeepsEveryNode)
{
    RecordList list;
    list.Init();
    HANDLE go = CreateEventA(NULL, TRUE, FALSE, NULL);
    Appender appender = {&list, go};
    C_Thread a, b;
    ASSERT_EQ(1, a.Start(AppendMany, &appender, 'a'));
    ASSERT_EQ(1, b.Start(AppendMany, &appender, 'b'));
    SetEvent(go);
    ASSERT_EQ(1, a.Wait(30000));
    b.Wait(30000);

    int counts[2] = {0, 0};
    int total = 0;
    for (RecordNode* node = list.First(); node; node = node->next)
    {
        total++;
        counts[node->record.bytes[1] == 'b']++;
    }
    EXPECT_EQ(2 * kPerThread, total);
    EXPECT_EQ(kPerThread, counts[0]);
    EXPECT_EQ(kPerThread, counts[1]);
    ExpectLinked(list);
    ClearRecords(list);
    CloseHandle(go);
}
