#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <thread>

#include "data/Measurement.h"
#include "support/Heap.h"

// Its ';' are exactly the seven separators.
const char kRecord[] = "\r 01;00;12:00:00;00012;020 00000;00000;0020;0000";

// The nodes in the list; checks on the way that the backward links mirror the forward ones.
static size_t Count(const RecordList& list)
{
    size_t count = 0;
    RecordNode* previous = NULL;
    for (RecordNode* node = list.First(); node; previous = node, node = node->next, ++count)
        EXPECT_EQ(previous, node->prev);
    EXPECT_EQ(previous, list.Last());
    return count;
}

TEST(RecordRule, OnlyTheSevenSeparatorsAreTested)
{
    PointRecord record;
    memcpy(record.bytes, kRecord, 48);
    for (int position = 0; position < PointRecord::kSize; position++)
        for (char value : {'\0', '\x1A', '\r', ',', 'o'})
        {
            PointRecord changed = record;
            changed.bytes[position] = value;
            EXPECT_EQ(kRecord[position] != ';', IsWellFormed(changed))
                << "byte " << position << " = " << (int)value;
        }
}

// Rounds, because the two threads must really run at once at some point, also on a busy machine.
TEST(RecordList, AppendFromTwoThreadsAtOnceKeepsEveryNodeLinkedBothWaysAndClearingFreesThem)
{
    const size_t before = HeapInUse();
    RecordList list;
    list.Init();
    for (int round = 0; round < 20 && !HasFailure(); round++)
    {
        std::atomic<int> started(0);
        auto append = [&]()
        {
            for (started++; started < 2;) // both at once
                ;
            for (int i = 0; i < 50000; i++)
                list.Append(NewRecordNode());
        };
        std::thread a(append), b(append);
        a.join(), b.join();
        EXPECT_EQ(100000u, Count(list)) << "round " << round;
        ClearRecords(list);
    }
    EXPECT_LT(HeapInUse(), before + 4096);
}
