#include "data/Measurement.h"

#include <new>

int IsWellFormed(const PointRecord& record)
{
    static const int kSeparators[] = {4, 7, 16, 22, 32, 38, 43};
    for (int position : kSeparators)
        if (record.bytes[position] != ';')
            return 0;
    return 1;
}

int IsEmptySlot(const PointRecord& record)
{
    return record.bytes[2] == '-' && record.bytes[3] == '-';
}

RecordNode* NewRecordNode()
{
    RecordNode* node = new (std::nothrow) RecordNode;
    if (node)
    {
        node->next = NULL;
        node->prev = NULL;
    }
    return node;
}

void DeleteRecordNode(RecordNode* node)
{
    delete node;
}

void ClearRecords(RecordList& list)
{
    for (;;)
    {
        RecordNode* node = list.First();
        if (!node)
            return;
        list.Remove(node);
        DeleteRecordNode(node);
    }
}
