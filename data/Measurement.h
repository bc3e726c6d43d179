#pragma once

#include <stddef.h>

#include "sys/LockedList.h"

// The card's header: 83 bytes of fixed-width ASCII, no terminator. The program never turns a field
// into a number; bytes it does not show are kept, saved and reloaded all the same.
struct MeasurementHeader
{
    enum
    {
        kSize = 83
    };
    char bytes[kSize];
};

// One measuring point: 48 bytes that begin with the carriage return the card sends before each record.
struct PointRecord
{
    enum
    {
        kSize = 48
    };
    char bytes[kSize];
};

static_assert(sizeof(MeasurementHeader) == 83, "the header is 83 bytes on the card and in files");
static_assert(sizeof(PointRecord) == 48, "a record is 48 bytes on the card and in files");

// A record is well formed when its seven separators are ';'. Byte 0 and byte 26 are not looked at.
int IsWellFormed(const PointRecord& record);

// "--" as point number marks an empty slot of the card: kept and saved, but never shown.
int IsEmptySlot(const PointRecord& record);

// One heap block per record, links first.
struct RecordNode
{
    RecordNode* next;
    RecordNode* prev;
    PointRecord record;
};

// The records in arrival order, locked for appending and removing.
typedef C_LockedList<RecordNode> RecordList;

// A node for one record, or null when memory is short.
RecordNode* NewRecordNode();
void DeleteRecordNode(RecordNode* node);

// Empties the list and frees its nodes; the header and the valid flag are the caller's.
void ClearRecords(RecordList& list);
